// One page through the common rewrite path: the platform's SAX reader
// parses the markup, the markup writer base copies it (CopyPageWriter) into
// the page's write stream. A rewrite that reports success must leave
// well-formed markup behind.
#include "filtercore/copy_page_writer.h"
#include "filtercore/page_rewrite.h"
#include "fuzz_support.h"
#include "page_job.h"
#include "testsupport/parts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tav::fuzz::EnsureComApartment();
    std::string markup(reinterpret_cast<const char*>(data), size);
    auto page = testsupport::MakePart<testsupport::FixedPagePart>(u"/Documents/1/Pages/1.fpage", markup);
    HRESULT result = RewriteFixedPage(page.Get(), [](IPrintWriteStream* stream) { return new CopyPageWriter(stream); });
    if (result == S_OK) tav::fuzz::CheckWellFormed(page->Content(), "the copied page");
    return 0;
}
