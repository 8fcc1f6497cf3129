#include "job/option_readers.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <string_view>

namespace tav::host {
namespace {

// Whether a table's option entry (a name, or a prefix ending in '*') names
// the option.
bool Names(std::string_view entry, const std::string& option)
{
    return entry.back() == '*' ? option.starts_with(entry.substr(0, entry.size() - 1)) : option == entry;
}

// The product's filters.
constexpr std::string_view kKnownFilters[] = {"prep", "order", "layout", "finisher", "rip"};

struct OptionReaders {
    std::string_view option;        // a name, or a prefix ending in '*'
    std::string_view filters;       // separated by blanks
    std::string_view pending = "";  // those of them that do not act on it yet
};

constexpr OptionReaders kReaders[] = {
    {"media", "prep layout finisher rip"},
    {"orientation-requested", "prep layout finisher rip"},
    {"transverse", "layout finisher"},
    {"media-type", "rip", "rip"},
    {"fixed-margin", "layout"},
    {"document-margins", "layout"},
    {"output-margins", "layout"},
    {"sides", "order layout"},
    {"duplex-mode", "order layout"},
    {"separate-tray-scope", "layout"},
    {"number-up*", "layout"},
    {"page-border", "layout"},
    {"booklet*", "order layout"},
    {"binding*", "layout"},
    {"poster-cut-lines", "finisher"},
    {"poster", "layout finisher"},
    {"mirror", "finisher"},
    {"reverse-image", "finisher"},
    {"input-slot", "layout"},
    {"second-input-slot", "layout"},
    {"separate-tray", "layout"},
    {"divide-condition", "order layout"},
    {"print-scaling", "prep"},
    {"scale-*", "prep"},
    {"page-size-to-media", "prep"},
    {"printer-resolution", "rip"},
    {"print-color-mode", "rip"},
    {"watermark-*", "prep"},
    {"header-footer*", "prep"},
    {"job-originating-*", "prep"},
    {"draft-mode", "rip", "rip"},
    {"halftone-reduction", "rip", "rip"},
};

std::vector<std::string> Words(std::string_view text)
{
    std::vector<std::string> words;
    std::istringstream stream{std::string(text)};
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

const OptionReaders* EntryFor(const std::string& option)
{
    for (const OptionReaders& entry : kReaders) {
        if (Names(entry.option, option)) return &entry;
    }
    return nullptr;
}

bool Among(std::string_view name, const auto& names)
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

std::string Listed(const std::vector<std::string>& names)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

}  // namespace

std::vector<std::string> UnreadOptionWarnings(const std::vector<std::string>& chain,
                                              const std::vector<std::pair<std::string, std::string>>& options)
{
    for (const std::string& filter : chain) {
        if (!Among(filter, kKnownFilters)) return {};
    }
    std::vector<std::string> warnings;
    std::set<std::string> said;
    for (const auto& [option, value] : options) {
        const OptionReaders* entry = EntryFor(option);
        if (entry == nullptr || !said.insert(option).second) continue;
        std::vector<std::string> readers = Words(entry->filters);
        std::vector<std::string> pending = Words(entry->pending);
        std::vector<std::string> inChain;
        for (const std::string& reader : readers) {
            if (Among(reader, chain)) inChain.push_back(reader);
        }
        bool acted = std::any_of(inChain.begin(), inChain.end(),
                                 [&](const std::string& reader) { return !Among(reader, pending); });
        if (inChain.empty()) {
            warnings.push_back(option + " has no effect: no filter of the chain (" + Listed(chain) + ") reads it; " +
                               Listed(readers) + (readers.size() == 1 ? " does" : " do"));
        } else if (!acted) {
            warnings.push_back(option + " has no effect yet: " + Listed(inChain) +
                               (inChain.size() == 1 ? " does" : " do") + " not act on it so far");
        }
    }
    return warnings;
}

}  // namespace tav::host
