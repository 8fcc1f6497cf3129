// Which filters read each job option, so that an option no filter of the
// chosen chain acts on is reported instead of succeeding silently.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tav::host {

// One warning line for each option given (once per name) that no filter
// of the chain reads, or that only filters read which do not act on it
// yet (the rip filter and the media type, draft mode and halftone settings). Nothing is said about a chain with a filter this table does not
// know (a configuration's own), which may read anything.
std::vector<std::string> UnreadOptionWarnings(const std::vector<std::string>& chain,
                                              const std::vector<std::pair<std::string, std::string>>& options);

}  // namespace tav::host
