#include "resource_references.h"

#include <sstream>
#include <vector>

namespace tav::trace {
namespace {

std::vector<std::string> Words(std::string_view text)
{
    std::istringstream stream{std::string(text)};
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

bool HasScheme(std::string_view reference)
{
    size_t colon = reference.find(':');
    return colon != std::string_view::npos && reference.substr(0, colon).find('/') == std::string_view::npos;
}

// "/a/./b/../c" as "/a/c"; ".." above the root stays at the root.
std::string Normalised(const std::string& path)
{
    std::vector<std::string> steps;
    std::istringstream stream(path.substr(1));
    for (std::string step; std::getline(stream, step, '/');) {
        if (step == "." || step.empty()) continue;
        if (step == "..") {
            if (!steps.empty()) steps.pop_back();
            continue;
        }
        steps.push_back(step);
    }
    std::string result;
    for (const std::string& step : steps) result += "/" + step;
    return result.empty() ? "/" : result;
}

}  // namespace

std::optional<std::string> ContextColorProfile(std::string_view value)
{
    std::vector<std::string> words = Words(value);
    if (words.size() < 2 || words[0] != "ContextColor") return std::nullopt;
    return words[1];
}

std::optional<std::string> ConvertedBitmapProfile(std::string_view value)
{
    std::vector<std::string> words = Words(value);
    if (words.size() != 3 || words[0] != "{ColorConvertedBitmap" || words[2].size() < 2 || words[2].back() != '}')
        return std::nullopt;
    return words[2].substr(0, words[2].size() - 1);
}

std::optional<std::string> ImageSourceImage(std::string_view value)
{
    std::vector<std::string> words = Words(value);
    if (words.size() == 3 && words[0] == "{ColorConvertedBitmap") return words[1];
    if (words.size() != 1 || words[0].front() == '{') return std::nullopt;
    return words[0];
}

std::string ResolveAgainst(std::string_view base, std::string_view reference)
{
    if (reference.empty() || reference.front() == '/' || HasScheme(reference)) return std::string(reference);
    size_t slash = base.rfind('/');
    std::string joined = (slash == std::string_view::npos ? std::string() : std::string(base.substr(0, slash + 1))) +
                         std::string(reference);
    return joined.front() == '/' ? Normalised(joined) : joined;
}

}  // namespace tav::trace
