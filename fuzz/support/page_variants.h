// The page targets' inputs: the first byte picks one of the target's
// settings (a job ticket made from `-o` options), the rest is the page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "page_job.h"

namespace tav::fuzz {

class PageVariants {
public:
    explicit PageVariants(std::vector<std::vector<std::string>> optionSets);
    // The ticket the input's first byte picks, and the page after it.
    const std::string& Ticket(const uint8_t* data, size_t size) const;
    static std::string_view Page(const uint8_t* data, size_t size);

private:
    std::vector<std::string> tickets_;
};

}  // namespace tav::fuzz
