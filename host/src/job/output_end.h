// The end of a job's chain: what the last filter writes into, over the
// output file. A chain of XPS filters ends in the package writer, which
// counts the pages it writes; a filter that writes the printer stream
// writes straight into the file, and its progress reports count the pages.
// A new kind of output is a new OutputEnd, chosen in MakeOutputEnd.
#pragma once

#include <functional>
#include <memory>

#include "chain/filter_chain.h"
#include "chain/pipeline_config.h"
#include "job/job.h"

namespace tav::host {

class OutputEnd {
public:
    virtual ~OutputEnd() = default;
    // Sets the last filter's writer (and what it writes behind from) into
    // the file fd, which it takes; ends.lastState and ends.names are set.
    virtual void Wire(ChainEnds& ends, int fd, std::shared_ptr<FailureLog> log) const = 0;
    // Called for each page the last filter reports written; null when the
    // writer counts the pages itself.
    virtual std::function<void()> ReportedPages() const = 0;
};

// The output end of a chain whose last filter is last.
std::unique_ptr<OutputEnd> MakeOutputEnd(const FilterEntry& last, const JobRequest& request);

}  // namespace tav::host
