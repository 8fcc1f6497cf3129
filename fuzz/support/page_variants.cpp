#include "page_variants.h"

namespace tav::fuzz {

PageVariants::PageVariants(std::vector<std::vector<std::string>> optionSets)
{
    for (const std::vector<std::string>& options : optionSets) tickets_.push_back(JobTicketFromOptions(options));
}

const std::string& PageVariants::Ticket(const uint8_t* data, size_t size) const
{
    return tickets_[size == 0 ? 0 : data[0] % tickets_.size()];
}

std::string_view PageVariants::Page(const uint8_t* data, size_t size)
{
    if (size == 0) return {};
    return std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1);
}

}  // namespace tav::fuzz
