// One print job from start to end: open the package, make the tickets,
// fill the property bag, load the chain's modules, run the chain and keep
// the output only when everything succeeded.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tavzip/zip_reader.h"

namespace tav::host {

// Exit statuses of tavpipe.
enum ExitStatus {
    kExitSuccess = 0,
    kExitJobFailed = 1,
    kExitUsage = 2,
    kExitBadInput = 3,
};

struct JobRequest {
    std::string input;                                            // "-": standard input
    std::string output;                                           // "-": standard output
    std::vector<std::string> filters;                             // empty: the configuration's default chain
    std::vector<std::pair<std::string, std::string>> options;     // -o NAME=VALUE
    std::vector<std::pair<std::string, std::string>> properties;  // --set-property NAME=VALUE
    std::string ticketFile;
    std::string userTicketFile;
    std::string deviceFile;
    std::string configFile;
    std::string traceFile;
    std::string driverDirectory;  // empty: the recording converter's (spooler_job.h)
    std::string printer = "tavprint";
    std::optional<uint32_t> jobId;
    std::string user;   // the job owner, for the identification print and the spooler's job record
    std::string title;  // the document name of the spooler's job record
    zip::ZipLimits limits;
    // Page markup that breaks the rules of the XPS vocabulary is printed
    // with a warning rather than refused (--lenient, or the pipeline
    // property LenientMarkup set to true).
    bool lenientMarkup = false;
    // Called once before the chain runs with the number of pages that
    // enter it, when the package's documents say it.
    std::function<void(uint64_t pages)> onPageCount;
    // Called for each page the first filter takes; from its thread.
    std::function<void()> onPageRead;
    // Called for each page that reaches the output (or that a filter
    // reports); from filter threads.
    std::function<void()> onPage;
};

struct JobOutcome {
    int status = kExitSuccess;
    // One line, "FILE: PART: REASON", when the job failed.
    std::string message;
    // Job options that have no effect or that the filters override.
    std::vector<std::string> warnings;
};

JobOutcome RunJob(const JobRequest& request);

// "FILE: PART: REASON", or "FILE: REASON" without a part.
std::string FailureMessage(const std::string& file, const std::string& part, const std::string& reason);

}  // namespace tav::host
