// tavpipe: runs print filter chains over XPS packages.
#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <stdlib.h>
#include <iostream>

#include "cli/command_line.h"
#include "cli/package_info.h"
#include "cli/progress_line.h"
#include "option_commands.h"
#include "preview/preview.h"
#include "tavzip/output_file.h"

using namespace tav::host;

int main(int argc, char** argv)
{
    // A stopped job leaves no temporary file; a reader that goes away is a
    // write error, not a silent death.
    tav::zip::RemoveTemporaryFilesOnSignals();
    signal(SIGPIPE, SIG_IGN);
    // Without TZ the C library looks at /etc/localtime again on every local
    // time conversion, and libzip converts each entry's time as it opens an
    // archive: naming the same zone explicitly, before any thread starts,
    // makes that a single read.
    setenv("TZ", ":/etc/localtime", 0);
    // A page rewrite allocates and frees buffers of a few hundred KiB (the
    // pending markup, its UTF-8, the new content): served by mmap, or
    // trimmed off the heap when freed, each would be faulted in afresh for
    // every page, which made large pages a third slower per byte. They are
    // kept on the heap instead; what a job holds at its peak is unchanged.
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // The job option subcommands have command lines of their own.
    if (!arguments.empty() && (arguments[0] == "ticket" || arguments[0] == "options")) {
        std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
        return arguments[0] == "ticket" ? RunTicketCommand(rest, std::cout, std::cerr)
                                        : RunOptionsCommand(rest, std::cout, std::cerr);
    }
    CommandLine line;
    try {
        line = ParseCommandLine(arguments);
    } catch (const UsageError& error) {
        std::cerr << "tavpipe: " << error.what() << "\nTry 'tavpipe --help' for more information.\n";
        return kExitUsage;
    }
    switch (line.command) {
    case Command::Help: std::cout << UsageText(); return kExitSuccess;
    case Command::Version: std::cout << "tavpipe 0.1\n"; return kExitSuccess;
    case Command::Info: {
        std::string error;
        int status = PrintPackageInfo(line.job.input, line.job.limits, std::cout, &error);
        if (status != kExitSuccess) std::cerr << "tavpipe: " << error << "\n";
        return status;
    }
    case Command::Run:
    case Command::Preview: break;
    }
    ProgressLine progress(!line.quiet && isatty(STDERR_FILENO));
    line.job.onPageCount = [&progress](uint64_t pages) { progress.SetTotal(pages); };
    line.job.onPageRead = [&progress] { progress.PageRead(); };
    line.job.onPage = [&progress] { progress.PageWritten(); };
    JobOutcome outcome = line.command == Command::Preview ? RunPreview(line.job) : RunJob(line.job);
    progress.Finish();
    for (const std::string& warning : outcome.warnings) std::cerr << "tavpipe: warning: " << warning << "\n";
    if (outcome.status != kExitSuccess) std::cerr << "tavpipe: " << outcome.message << "\n";
    return outcome.status;
}
