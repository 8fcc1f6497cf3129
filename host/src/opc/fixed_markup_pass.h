// One streamed pass over the markup of a FixedPage or a remote resource
// dictionary, as the reader meets it: the whole markup is checked for
// well-formedness, the root element's name and Width and Height are kept,
// the parts the markup refers to (fonts, images, colour profiles,
// dictionaries) are collected, and markup compatibility is applied as a
// consumer that understands only the XPS vocabulary must apply it.
//
// Markup compatibility: an AlternateContent yields its first Choice whose
// required namespaces are all understood, else its Fallback; elements and
// attributes of ignorable namespaces are left out (an element named by
// ProcessContent gives up only its own tag); a MustUnderstand namespace
// that is not understood, content of a namespace that is neither
// understood nor ignorable, and malformed compatibility markup are errors.
// References inside content left out are not collected.
//
// Given an output string, the pass also writes the markup as that consumer
// sees it, in UTF-8, with every element in the XPS namespace and no
// compatibility markup left, so that markup rewritten from it stays valid
// without the original's namespace declarations.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/byte_reader.h"

namespace tav::host {

namespace page_schema {
class MarkupChecker;
}

struct MarkupReference {
    std::string uri;        // as written in the markup
    std::string attribute;  // FontUri, ImageSource, Source or the attribute with a ContextColor
};

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
    const FixedMarkupSummary& Summary() const;

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

// The markup of a FixedPage as a consumer of the XPS vocabulary sees it
// (see above), produced each time it is read.
std::shared_ptr<const PartContent> CompatibleMarkupContent(std::shared_ptr<const PartContent> original,
                                                           std::string partName);

}  // namespace tav::host
