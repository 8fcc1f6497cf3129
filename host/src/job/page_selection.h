// page-ranges: which pages of the input job enter the chain. Pages are
// counted from 1 across all documents of the job, before any filter runs.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace tav::host {

class PageSelection {
public:
    // Every page.
    PageSelection() = default;
    // "1-4,8,10-": single pages, ranges and ranges open to the end, in any
    // order. Throws std::invalid_argument saying what is wrong.
    static PageSelection Parse(std::string_view text);

    bool All() const { return ranges_.empty(); }
    bool Contains(uint64_t page) const;
    // How many of the pages 1 to pageCount are selected.
    uint64_t CountWithin(uint64_t pageCount) const;

private:
    std::vector<std::pair<uint64_t, uint64_t>> ranges_;  // first and last page, inclusive
};

}  // namespace tav::host
