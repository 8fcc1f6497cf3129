// The package reader's streamed pass over one page's markup: well-formedness
// and limits, the references it collects, markup compatibility, the markup
// as a consumer of the XPS vocabulary sees it, and the check against the
// page vocabulary, strict and lenient, for a page and for a remote resource
// dictionary. Markup the pass accepts must come out well-formed.
#include "fuzz_support.h"
#include "opc/fixed_markup_pass.h"
#include "opc/package_error.h"
#include "opc/page_schema/markup_checker.h"
#include "page_job.h"

namespace {

using namespace tav::host;

void Scan(std::string_view markup, page_schema::MarkupRoot root, bool lenient)
{
    page_schema::MarkupChecker checker(root, lenient);
    const char* rootName = root == page_schema::MarkupRoot::FixedPage ? "FixedPage" : "ResourceDictionary";
    std::string compatible;
    try {
        FixedMarkupPass pass("/Documents/1/Pages/1.fpage", rootName, &compatible, &checker);
        pass.FeedLast(markup.data(), markup.size());
        pass.Summary();
    } catch (const PackageError&) {
        return;
    }
    tav::fuzz::CheckWellFormed(compatible, "the markup a consumer sees");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view markup(reinterpret_cast<const char*>(data), size);
    Scan(markup, page_schema::MarkupRoot::FixedPage, false);
    Scan(markup, page_schema::MarkupRoot::FixedPage, true);
    Scan(markup, page_schema::MarkupRoot::RemoteDictionary, false);
    return 0;
}
