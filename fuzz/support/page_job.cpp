#include "page_job.h"

#include <cstdio>
#include <cstdlib>

#include <libxml/parser.h>

#include "job_options.h"
#include "option_settings.h"
#include "testsupport/filter_runner.h"
#include "testsupport/parts.h"

namespace tav::fuzz {

using namespace testsupport;

std::string JobTicketFromOptions(const std::vector<std::string>& settings)
{
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;
    for (const std::string& setting : settings) {
        if (!tav::options::SplitOptionSettings(setting, &options, &error)) {
            std::fprintf(stderr, "fuzz: option %s: %s\n", setting.c_str(), error.c_str());
            std::abort();
        }
    }
    std::string ticket;
    if (!BuildJobTicket(options, "", &ticket, nullptr, &error)) {
        std::fprintf(stderr, "fuzz: job ticket: %s\n", error.c_str());
        std::abort();
    }
    return ticket;
}

void CheckWellFormed(const std::string& markup, const char* what)
{
    xmlDocPtr document = xmlReadMemory(markup.data(), static_cast<int>(markup.size()), what, nullptr,
                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (!document) {
        std::fprintf(stderr, "fuzz: %s is not well-formed after a successful rewrite:\n%.4000s\n", what,
                     markup.c_str());
        __builtin_trap();
    }
    xmlFreeDoc(document);
}

namespace {

std::string ReadAll(IFixedPage* page)
{
    ComPtr<IPrintReadStream> stream;
    if (FAILED(page->GetStream(stream.Out())) || !stream) return {};
    std::string bytes;
    char block[16384];
    for (;;) {
        ULONG read = 0;
        BOOL end = FALSE;
        if (FAILED(stream->ReadBytes(block, sizeof block, &read, &end))) break;
        bytes.append(block, read);
        if (end || read == 0) break;
    }
    return bytes;
}

}  // namespace

void RunOnePageJob(IPrintPipelineFilter* filter, const std::string& jobTicket, std::string_view markup)
{
    auto sequence = MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq");
    sequence->SetPrintTicket(MakePart<PrintTicketPart>(u"/Job_PT.xml", jobTicket).Get());
    auto document = MakePart<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc");
    auto page = MakePart<FixedPagePart>(u"/Documents/1/Pages/1.fpage", std::string(markup));
    std::vector<ComPtr<IUnknown>> parts = {Unknown(sequence), Unknown(document), Unknown(page)};
    ChainOutcome outcome = RunFilter(filter, parts);
    if (outcome.filters.empty() || outcome.filters[0].startResult != S_OK) return;
    for (const ComPtr<IUnknown>& sent : outcome.consumer->SentParts()) {
        ComPtr<IFixedPage> sentPage;
        if (FAILED(sent->QueryInterface(IID_IFixedPage, sentPage.OutVoid())) || !sentPage) continue;
        // A page passed on untouched is the input itself, well-formed or not.
        std::string sentMarkup = ReadAll(sentPage.Get());
        if (sentMarkup != markup) CheckWellFormed(sentMarkup, "a page the filter sent");
    }
}

}  // namespace tav::fuzz
