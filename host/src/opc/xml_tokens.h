// Lists of tokens in attribute values, separated by XML white space.
#pragma once

#include <string_view>
#include <vector>

namespace tav::host {

inline std::vector<std::string_view> XmlTokens(std::string_view text)
{
    std::vector<std::string_view> tokens;
    size_t at = 0;
    while (at < text.size()) {
        size_t start = text.find_first_not_of(" \t\r\n", at);
        if (start == std::string_view::npos) break;
        size_t end = text.find_first_of(" \t\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        tokens.push_back(text.substr(start, end - start));
        at = end;
    }
    return tokens;
}

}  // namespace tav::host
