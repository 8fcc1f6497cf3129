// Job options that tavpipe applies itself instead of writing them into the
// job ticket: they choose what enters the chain.
#pragma once

#include <string_view>
#include <vector>

namespace tav::options {

struct HostOptionSpec {
    std::string_view name;
    std::string_view description;
    std::string_view values;  // what the user types, for the listing
    std::string_view defaultValue;
    std::string_view details;  // what `tavpipe options NAME` adds
};

const std::vector<HostOptionSpec>& HostOptionTable();
const HostOptionSpec* FindHostOption(std::string_view name);

}  // namespace tav::options
