#include "host_options.h"

#include "text_checks.h"

namespace tav::options {

const std::vector<HostOptionSpec>& HostOptionTable()
{
    static const std::vector<HostOptionSpec> table = {
        {"page-ranges", "Input pages to print", "RANGES (1-4,8,10-)", "all",
         "counts the pages of the input job, across its documents, before any filter runs (not sheets after "
         "number-up); pages outside the ranges never reach the filters"},
        {"output-format", "What the job writes", "xps, pdf, pwg (PWG Raster), trace (the recording converter)",
         "OUTPUT's extension (.pdf, .pwg, .prn or .trace), else xps",
         "pdf, pwg and trace are printer streams written by the rip filter at the end of the chain, which the "
         "default chain gains when -f is not given; --driver-dir names another converter"},
    };
    return table;
}

const HostOptionSpec* FindHostOption(std::string_view name)
{
    for (const HostOptionSpec& spec : HostOptionTable()) {
        if (EqualsIgnoringAsciiCase(spec.name, name)) return &spec;
    }
    return nullptr;
}

}  // namespace tav::options
