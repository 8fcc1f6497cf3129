#include "filter_messages.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tav::cups {

std::string MessageLine(std::string_view prefix, std::string_view text)
{
    std::string line(prefix);
    line += ": ";
    for (char c : text) line += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
    return line;
}

void Message(std::string_view prefix, std::string_view text)
{
    std::string line = MessageLine(prefix, text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::string NameDocumentInMessage(std::string_view message, std::string_view input, std::string_view title)
{
    std::string shown = input == "-" ? "standard input" : std::string(input);
    shown += ": ";
    if (title.empty() || !message.starts_with(shown)) return std::string(message);
    return std::string(title) + ": " + std::string(message.substr(shown.size()));
}

void PageMessage(uint64_t page) { Message("PAGE", std::to_string(page) + " 1"); }

std::optional<uint32_t> ParseJobId(std::string_view text)
{
    uint32_t id = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || id == 0 || id > 0x7fffffffu) return std::nullopt;
    return id;
}

int ProgressPercent(uint64_t done, uint64_t total)
{
    if (total == 0) return 0;
    return static_cast<int>(std::min<uint64_t>(done, total) * 100 / total);
}

}  // namespace tav::cups
