#include "host_options.h"

#include "text_checks.h"

namespace tav::options {

const std::vector<HostOptionSpec>& HostOptionTable()
{
    static const std::vector<HostOptionSpec> table = {
        {"page-ranges", "Input pages to print", "RANGES (1-4,8,10-)", "all",
         "counts the pages of the input job, across its documents, before any filter runs (not sheets after "
         "number-up); pages outside the ranges never reach the filters"},
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
