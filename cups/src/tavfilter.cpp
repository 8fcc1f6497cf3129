// tavfilter: the XPS filter of a CUPS queue. Called by the scheduler as
//   tavfilter job-id user title copies options [file]
// it runs the job's chain over the XPS package (the file, or standard input
// spooled) and writes PDF or PWG Raster, as FINAL_CONTENT_TYPE asks, to
// standard output. Messages go to standard error with CUPS's prefixes; the
// exit status is 0, or 1 when the job failed.
#include <cups/cups.h>
#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "cups_options.h"
#include "filter_messages.h"
#include "job/job.h"
#include "module_folder.h"
#include "tavzip/output_file.h"

namespace {

using tav::cups::OptionList;

OptionList ParseCupsOptions(const char* text)
{
    cups_option_t* parsed = nullptr;
    int count = cupsParseOptions(text, 0, &parsed);
    OptionList options;
    for (int i = 0; i < count; ++i) options.emplace_back(parsed[i].name, parsed[i].value);
    cupsFreeOptions(count, parsed);
    return options;
}

OptionList PpdDefaults()
{
    const char* ppd = std::getenv("PPD");
    if (ppd == nullptr || *ppd == '\0') return {};
    std::ifstream in(ppd);
    if (!in) {
        tav::cups::Message("WARNING", std::string(ppd) + ": cannot read the PPD; its defaults are not applied");
        return {};
    }
    return tav::cups::ReadPpdDefaults(in);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6 || argc > 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argc > 0 ? argv[0] : "tavfilter");
        return 1;
    }
    tav::zip::RemoveTemporaryFilesOnSignals();
    signal(SIGPIPE, SIG_IGN);
    setenv("TZ", ":/etc/localtime", 0);
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
    tav::cups::UseInstalledModuleFolder();

    const char* finalType = std::getenv("FINAL_CONTENT_TYPE");
    std::optional<std::string> format = tav::cups::OutputFormatForContentType(finalType ? finalType : "");
    if (!format) {
        tav::cups::Message("ERROR", std::string("the queue wants ") + (finalType ? finalType : "no output type") +
                                        "; this filter writes application/vnd.cups-pdf, application/pdf or "
                                        "image/pwg-raster");
        return 1;
    }

    tav::host::JobRequest request;
    request.input = argc == 7 ? argv[6] : "-";
    request.output = "-";
    const char* printer = std::getenv("PRINTER");
    request.printer = printer != nullptr && *printer != '\0' ? printer : argv[0];
    if (std::optional<uint32_t> jobId = tav::cups::ParseJobId(argv[1])) request.jobId = jobId;
    request.user = argv[2];
    request.title = argv[3];
    tav::cups::JobOptions options = tav::cups::MergeJobOptions(ParseCupsOptions(argv[5]), PpdDefaults());
    for (const std::string& name : options.ignored) tav::cups::Message("DEBUG", "option " + name + " is not ours");
    request.options = std::move(options.options);
    request.options.emplace_back("output-format", *format);

    std::mutex messages;
    uint64_t pagesWritten = 0;
    request.onPage = [&] {
        std::lock_guard<std::mutex> lock(messages);
        tav::cups::PageMessage(++pagesWritten);
    };
    // The job's progress as the scheduler shows it: the share of the input
    // pages read, said again only when it changes.
    uint64_t pagesToRead = 0, pagesRead = 0;
    int progressSaid = -1;
    request.onPageCount = [&](uint64_t pages) { pagesToRead = pages; };
    request.onPageRead = [&] {
        std::lock_guard<std::mutex> lock(messages);
        int progress = tav::cups::ProgressPercent(++pagesRead, pagesToRead);
        if (progress == progressSaid) return;
        progressSaid = progress;
        tav::cups::Message("ATTR", "job-media-progress=" + std::to_string(progress));
    };
    // The PPD leaves copies to the printer (cupsManualCopies False), so the
    // scheduler asks for more than one only where nothing else makes them.
    if (std::string_view(argv[4]) != "1")
        tav::cups::Message("WARNING", std::string("one copy is printed; the queue makes no ") + argv[4] + " copies");
    tav::cups::Message("INFO", "Converting the XPS job to " + *format);
    tav::host::JobOutcome outcome = tav::host::RunJob(request);
    std::lock_guard<std::mutex> lock(messages);
    for (const std::string& warning : outcome.warnings) tav::cups::Message("WARNING", warning);
    if (outcome.status != tav::host::kExitSuccess) {
        tav::cups::Message("ERROR", tav::cups::NameDocumentInMessage(outcome.message, request.input, request.title));
        return 1;
    }
    tav::cups::Message("INFO", "Printed " + std::to_string(pagesWritten) + " pages");
    return 0;
}
