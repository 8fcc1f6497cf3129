#include "job/page_selection.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace tav::host {
namespace {

constexpr uint64_t kOpenEnd = std::numeric_limits<uint64_t>::max();

uint64_t ParsePageNumber(std::string_view text, std::string_view range)
{
    uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 || value == kOpenEnd) {
        throw std::invalid_argument("\"" + std::string(range) + "\" is no page or range of pages (1-4, 8, 10-)");
    }
    return value;
}

}  // namespace

PageSelection PageSelection::Parse(std::string_view text)
{
    PageSelection selection;
    if (text.empty()) throw std::invalid_argument("no pages given");
    for (;;) {
        size_t comma = text.find(',');
        std::string_view range = text.substr(0, comma);
        size_t dash = range.find('-');
        uint64_t first = ParsePageNumber(range.substr(0, dash), range);
        uint64_t last = first;
        if (dash != std::string_view::npos) {
            std::string_view end = range.substr(dash + 1);
            last = end.empty() ? kOpenEnd : ParsePageNumber(end, range);
        }
        if (last < first) {
            throw std::invalid_argument("\"" + std::string(range) + "\" ends before it starts");
        }
        selection.ranges_.emplace_back(first, last);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    // Sorted and merged, so that counting does not count a page twice.
    std::sort(selection.ranges_.begin(), selection.ranges_.end());
    std::vector<std::pair<uint64_t, uint64_t>> merged;
    for (const auto& range : selection.ranges_) {
        if (!merged.empty() && (merged.back().second == kOpenEnd || range.first <= merged.back().second + 1)) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    selection.ranges_ = std::move(merged);
    return selection;
}

bool PageSelection::Contains(uint64_t page) const
{
    if (ranges_.empty()) return true;
    for (const auto& [first, last] : ranges_) {
        if (page >= first && page <= last) return true;
    }
    return false;
}

uint64_t PageSelection::CountWithin(uint64_t pageCount) const
{
    if (ranges_.empty()) return pageCount;
    uint64_t count = 0;
    for (const auto& [first, last] : ranges_) {
        if (first > pageCount) break;
        count += std::min(last, pageCount) - first + 1;
    }
    return count;
}

}  // namespace tav::host
