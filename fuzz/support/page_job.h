// One page through a filter as the pipeline runs it: a job of one document
// holding one page whose markup is the fuzz input, with a job ticket made
// from `-o` options the way tavpipe makes it. What the filter sent on is
// checked: a job that succeeded must have produced well-formed markup for
// every page it sent.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/pipeline.h"

namespace tav::fuzz {

// The job ticket the options make over no base ticket; aborts when the
// options are refused, as a fuzzer set up with a wrong ticket tests nothing.
std::string JobTicketFromOptions(const std::vector<std::string>& settings);

// Runs the filter over the job and traps when it succeeded but a page it
// sent is not well-formed XML.
void RunOnePageJob(IPrintPipelineFilter* filter, const std::string& jobTicket, std::string_view markup);

// Traps when the filter-free copy of the markup is not well-formed; used
// where a rewrite reported success.
void CheckWellFormed(const std::string& markup, const char* what);

}  // namespace tav::fuzz
