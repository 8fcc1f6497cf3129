// The UTF-16 forms of the element and attribute names of one parse. A page
// repeats a handful of names thousands of times; each is converted once and
// then found by its UTF-8 form.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml_parser.h"

namespace tav::xml {

// A name as the content handler receives it; each text is followed by a
// terminator.
struct WideName {
    std::u16string_view namespaceUri;
    std::u16string_view localName;
    std::u16string_view qualifiedName;
};

class NameTable {
public:
    // Names kept at most: a document made of ever new names must not make
    // the table grow with it. Further names are not kept.
    static constexpr size_t kMaxNames = 1024;
    // Nor is a name whose qualified name and namespace together are longer
    // than this: a namespace may be megabytes long, and each name in it
    // would keep a copy.
    static constexpr size_t kMaxNameBytes = 1024;

    explicit NameTable(size_t maxNames = kMaxNames) : maxNames_(maxNames) {}

    // The UTF-16 form of name, converted the first time the name (its
    // qualified name in its namespace) is met. Null for a name too long to
    // keep, and once the table is full for a name not in it. The views stay
    // valid as long as the table.
    const WideName* Find(const XmlName& name);

    size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        std::string key;  // the qualified name followed by the namespace
        size_t qualifiedNameLength = 0;
        std::u16string text;
        WideName name;
    };

    const WideName* Add(const XmlName& name, uint32_t hash, size_t slot);
    void Rehash(size_t slotCount);

    size_t maxNames_;
    std::vector<std::unique_ptr<Entry>> entries_;
    // Open addressing, never more than half full: the entry (null for a
    // free slot) with its hash, which rules out most others unread.
    struct Slot {
        Entry* entry = nullptr;
        uint32_t hash = 0;
    };
    std::vector<Slot> slots_;
};

}  // namespace tav::xml
