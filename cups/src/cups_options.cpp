#include "cups_options.h"

#include <cctype>
#include <set>

#include "host_options.h"
#include "option_table.h"
#include "text_checks.h"

namespace tav::cups {

namespace {

constexpr std::string_view kCustomPrefix = "Custom.";

std::string Lowercase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// PPD keywords that stand for an option of another name.
bool IsPpdKeyword(std::string_view name)
{
    return name == "PageSize" || name == "PageRegion" || name == "Duplex" || name == "Resolution";
}

// The chain's name for a job option or PPD keyword; empty for one it does
// not know.
std::string ChainName(std::string_view name)
{
    if (name == "PageSize" || name == "PageRegion") return "media";
    if (name == "Duplex") return "sides";
    if (name == "Resolution") return "printer-resolution";
    if (options::EqualsIgnoringAsciiCase(name, "output-format")) return "";
    if (const options::OptionSpec* spec = options::FindOption(name)) return std::string(spec->name);
    if (const options::HostOptionSpec* spec = options::FindHostOption(name)) return std::string(spec->name);
    return "";
}

// The value the chain takes for a value given under the name `given`.
std::optional<std::string> ChainValue(std::string_view given, std::string_view value)
{
    if (value.starts_with(kCustomPrefix)) value.remove_prefix(kCustomPrefix.size());
    if (given == "Duplex") {
        std::optional<std::string_view> sides = SidesOfDuplexChoice(value);
        if (!sides) return std::nullopt;
        return std::string(*sides);
    }
    return std::string(value);
}

// "None" is the PPD's choice for an option with no default of its own:
// the option not given.
bool IsNotGiven(const std::string& name, std::string_view value)
{
    if (value != "None") return false;
    const options::OptionSpec* spec = options::FindOption(name);
    return spec != nullptr && spec->defaultValue.empty();
}

bool IsOwnDefault(const std::string& name, std::string_view value)
{
    if (const options::OptionSpec* spec = options::FindOption(name))
        return options::EqualsIgnoringAsciiCase(spec->defaultValue, value);
    if (const options::HostOptionSpec* spec = options::FindHostOption(name))
        return options::EqualsIgnoringAsciiCase(spec->defaultValue, value);
    return false;
}

}  // namespace

std::optional<std::string> OutputFormatForContentType(std::string_view contentType)
{
    std::string type = Lowercase(Trim(contentType.substr(0, contentType.find(';'))));
    if (type == "application/vnd.cups-pdf" || type == "application/pdf") return "pdf";
    if (type == "image/pwg-raster") return "pwg";
    return std::nullopt;
}

OptionList ReadPpdDefaults(std::istream& ppd)
{
    constexpr std::string_view kDefault = "*Default";
    OptionList defaults;
    std::string line;
    while (std::getline(ppd, line)) {
        std::string_view text(line);
        if (!text.starts_with(kDefault)) continue;
        text.remove_prefix(kDefault.size());
        size_t colon = text.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;
        std::string_view name = text.substr(0, colon);
        std::string_view value = Trim(text.substr(colon + 1));
        if (value.empty() || value.find_first_of(" \t\"") != std::string_view::npos) continue;
        defaults.emplace_back(std::string(name), std::string(value));
    }
    return defaults;
}

std::optional<std::string_view> SidesOfDuplexChoice(std::string_view choice)
{
    if (choice == "None") return "one-sided";
    if (choice == "DuplexNoTumble") return "two-sided-long-edge";
    if (choice == "DuplexTumble") return "two-sided-short-edge";
    return std::nullopt;
}

JobOptions MergeJobOptions(const OptionList& job, const OptionList& ppdDefaults)
{
    JobOptions merged;
    // The options set so far, passed on or not: a job's default value still
    // overrides the PPD's default.
    std::set<std::string> decided;
    auto take = [&](const std::string& chainName, const std::string& value) {
        if (!decided.insert(chainName).second) return;
        if (IsOwnDefault(chainName, value) || IsNotGiven(chainName, value)) return;
        merged.options.emplace_back(chainName, value);
    };
    // The job's IPP names (media, sides) before the PPD keywords standing
    // for them, so that the job's own spelling wins; the PPD's defaults last.
    OptionList fromKeywords;
    for (const auto& [name, value] : job) {
        std::string chainName = ChainName(name);
        std::optional<std::string> chainValue;
        if (!chainName.empty()) chainValue = ChainValue(name, value);
        if (!chainValue) {
            merged.ignored.push_back(name);
        } else if (IsPpdKeyword(name)) {
            fromKeywords.emplace_back(chainName, *chainValue);
        } else {
            take(chainName, *chainValue);
        }
    }
    for (const auto& [chainName, value] : fromKeywords) take(chainName, value);
    for (const auto& [name, value] : ppdDefaults) {
        std::string chainName = ChainName(name);
        if (chainName.empty()) continue;
        if (std::optional<std::string> chainValue = ChainValue(name, value)) take(chainName, *chainValue);
    }
    return merged;
}

}  // namespace tav::cups
