// The checks of FixedPage and remote resource-dictionary markup against
// the XPS page vocabulary, fed by the reader's streamed pass one event at a
// time: each element in the XPS namespace (as a consumer sees it, with
// markup compatibility already applied) with its attributes, each end tag
// and each run of text.
//
// What is checked: every element and attribute is one its parent and
// element allow; property elements come in their order, once, before any
// content, and never beside the attribute they stand for; required
// attributes are there; every value has the form of its type; resource
// references name a resource of the right kind defined before them in
// scope (those that can only be in a remote dictionary are handed back to
// be looked up there); the rules between a Glyphs element's text, indices
// and bidi level hold; a remote dictionary refers to no other.
//
// Each event returns null or the first rule broken, one line naming the
// element or attribute. The largest glyph index each font is asked for is
// kept for a check against the font itself.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "opc/page_schema/vocabulary.h"
#include "opc/sax_attributes.h"

namespace tav::host {
class MarkupReferenceCollector;
}

namespace tav::host::page_schema {

// A font and the largest glyph index the markup's Indices use of it.
struct GlyphFontUse {
    std::string fontUri;  // as the markup writes it
    uint32_t maxGlyphIndex;
};

// A resource reference that nothing in the markup defines but that a
// remote dictionary in scope may.
struct DeferredReference {
    std::string key;
    ResourceKind kind;
    std::vector<std::string> dictionaries;  // the Source of each remote dictionary in scope, innermost first
    std::string where;                      // "Path Fill", for the message
};

struct DefinedResource {
    std::string key;
    ResourceKind kind;
};

enum class MarkupRoot { FixedPage, RemoteDictionary };

class MarkupChecker {
public:
    // lenient: a rule broken is excused rather than refused; the first is
    // kept as the part's one warning and the rest of the part goes unchecked.
    MarkupChecker(MarkupRoot root, bool lenient);
    ~MarkupChecker();
    MarkupChecker(const MarkupChecker&) = delete;
    MarkupChecker& operator=(const MarkupChecker&) = delete;

    // An element in the XPS namespace; attributes of every namespace, those
    // of namespaces other than none, xml: and x: are passed over. When
    // references is given and the element keeps the rules, the values that
    // may refer to parts are shown to it, so that the attributes are told
    // apart once for both. The names (element and attributes) are those
    // of the one libxml2 parser that feeds this checker, which keeps one
    // address for one name: they are known again by their address.
    const std::string* StartElement(std::string_view localName, const SaxAttributes& attributes,
                                    MarkupReferenceCollector* references = nullptr);
    const std::string* EndElement();
    const std::string* Text(std::string_view text);

    bool Lenient() const;
    // The pass excuses a fault (in lenient mode), adding where it lies.
    void Excuse(std::string warning);
    const std::optional<std::string>& Excused() const;

    const std::vector<GlyphFontUse>& GlyphFonts() const;
    const std::vector<DeferredReference>& DeferredReferences() const;
    // A remote dictionary's resources, by key.
    const std::vector<DefinedResource>& DefinedResources() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// "a brush", "a MatrixTransform", ... for messages.
const char* ResourceKindName(ResourceKind kind);

}  // namespace tav::host::page_schema
