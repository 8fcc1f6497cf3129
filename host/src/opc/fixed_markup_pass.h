// One streamed pass over the markup of a FixedPage or a remote resource
// dictionary, as the reader meets it: the whole markup is checked for
// well-formedness and held within the reader's limits, the root element's
// name and Width and Height are kept, the parts the markup refers to are
// collected (opc/markup_references.h), and markup compatibility is applied
// as a consumer that understands only the XPS vocabulary must apply it
// (opc/markup_compatibility.h). References inside content left out are not
// collected.
//
// Given an output string, the pass also writes the markup as that consumer
// sees it (opc/compatible_markup_writer.h).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/byte_reader.h"
#include "opc/markup_references.h"

namespace tav::host {

namespace page_schema {
class MarkupChecker;
}

struct FixedMarkupSummary {
    std::string rootName;  // local name of the root element
    std::string rootNamespace;
    std::optional<std::string> width;  // the root's Width and Height
    std::optional<std::string> height;
    std::vector<MarkupReference> references;  // each URI once, in order of appearance
    bool usesCompatibility = false;           // the markup holds compatibility markup or ignorable content
};

class FixedMarkupPass {
public:
    // expectedRoot is the local name the root element must have in the XPS
    // namespace. Failures throw PackageError naming partName and the line.
    // schema, when given, checks the markup against the page vocabulary as
    // the pass meets it.
    FixedMarkupPass(std::string partName, std::string expectedRoot, std::string* output = nullptr,
                    page_schema::MarkupChecker* schema = nullptr);
    ~FixedMarkupPass();
    FixedMarkupPass(const FixedMarkupPass&) = delete;
    FixedMarkupPass& operator=(const FixedMarkupPass&) = delete;

    void Feed(const char* bytes, size_t count);
    void Finish();
    // Feeds the last bytes and finishes in one step.
    void FeedLast(const char* bytes, size_t count);
    FixedMarkupSummary Summary() const;

private:
    void Push(const char* bytes, size_t count, bool terminate);

    struct State;
    std::unique_ptr<State> state_;
};

// Reads the whole markup through one pass.
FixedMarkupSummary ScanFixedMarkup(ByteReader& source, const std::string& partName, const std::string& expectedRoot,
                                   page_schema::MarkupChecker* schema = nullptr);
// The same over markup held in memory.
FixedMarkupSummary ScanFixedMarkup(std::string_view markup, const std::string& partName,
                                   const std::string& expectedRoot, page_schema::MarkupChecker* schema = nullptr);

}  // namespace tav::host
