#include "option_settings.h"

#include <algorithm>

#include "host_options.h"
#include "option_table.h"
#include "text_checks.h"

namespace tav::options {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool TakesKeyword(const OptionSpec& spec, std::string_view keyword)
{
    return std::any_of(spec.values.begin(), spec.values.end(), [&](const Alternative& alternative) {
        return alternative.form == ValueForm::Keyword && alternative.spelling == keyword;
    });
}

// An option that can be switched on and off (booklet also takes reverse).
bool IsBoolean(std::string_view name)
{
    const OptionSpec* spec = FindOption(name);
    return spec && TakesKeyword(*spec, "on") && TakesKeyword(*spec, "off");
}

bool TakesText(std::string_view name)
{
    const OptionSpec* spec = FindOption(name);
    if (!spec) return false;
    return std::any_of(spec->values.begin(), spec->values.end(), [](const Alternative& alternative) {
        return alternative.form == ValueForm::Text || alternative.form == ValueForm::FontName ||
               alternative.form == ValueForm::File;
    });
}

bool IsKnown(std::string_view name) { return FindOption(name) != nullptr || FindHostOption(name) != nullptr; }

// One word: up to an unquoted blank; quotes and backslashes removed. *name
// gets what stands before the first unquoted '=' (all of it without one).
struct Word {
    std::string name;
    std::string value;
    bool hasValue = false;
};

Word ReadWord(std::string_view text, size_t* at)
{
    Word word;
    std::string* into = &word.name;
    char quote = 0;
    size_t i = *at;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else if (c == '\\' && i + 1 < text.size())
                *into += text[++i];
            else
                *into += c;
            continue;
        }
        if (IsBlank(c)) break;
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '\\' && i + 1 < text.size()) {
            *into += text[++i];
        } else if (c == '=' && !word.hasValue) {
            word.hasValue = true;
            into = &word.value;
        } else {
            *into += c;
        }
    }
    *at = i;
    return word;
}

size_t EditDistance(std::string_view a, std::string_view b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::vector<std::string_view> AllOptionNames()
{
    std::vector<std::string_view> names;
    for (const OptionSpec& spec : OptionTable()) names.push_back(spec.name);
    for (const HostOptionSpec& spec : HostOptionTable()) names.push_back(spec.name);
    return names;
}

std::string OptionSuggestion(std::string_view unknownName)
{
    std::string typed = AsciiLowerCase(unknownName);
    size_t allowed = std::max<size_t>(2, typed.size() / 3);
    size_t best = allowed + 1;
    std::vector<std::string_view> closest;
    for (std::string_view name : AllOptionNames()) {
        size_t distance = EditDistance(typed, name);
        if (distance < best) {
            best = distance;
            closest.clear();
        }
        if (distance == best && closest.size() < 3) closest.push_back(name);
    }
    if (closest.empty()) return "; tavpipe options lists them";
    std::string text = "; did you mean ";
    for (size_t i = 0; i < closest.size(); ++i) {
        if (i > 0) text += i + 1 == closest.size() ? " or " : ", ";
        text += closest[i];
    }
    return text + "?";
}

bool SplitOptionSettings(std::string_view text, std::vector<std::pair<std::string, std::string>>* settings,
                         std::string* error)
{
    size_t at = 0;
    bool continuesText = false;  // the last setting took text, which a plain word may continue
    for (;;) {
        while (at < text.size() && IsBlank(text[at])) ++at;
        if (at >= text.size()) return true;
        Word word = ReadWord(text, &at);
        std::string name = AsciiLowerCase(word.name);
        if (word.hasValue) {
            if (name.empty()) {
                *error = "-o needs NAME=VALUE, not \"=" + word.value + "\"";
                return false;
            }
            settings->emplace_back(name, word.value);
            continuesText = TakesText(name);
            continue;
        }
        if (IsBoolean(name)) {
            settings->emplace_back(name, "on");
        } else if (name.starts_with("no") && IsBoolean(name.substr(2))) {
            settings->emplace_back(name.substr(2), "off");
        } else if (continuesText && !IsKnown(name)) {
            settings->back().second += " " + word.name;
            continue;
        } else if (IsKnown(name)) {
            *error = name + " needs a value: -o " + name + "=VALUE (tavpipe options " + name + " lists them)";
            return false;
        } else {
            *error = "unknown option \"" + word.name + "\"" + OptionSuggestion(word.name);
            return false;
        }
        continuesText = false;
    }
}

}  // namespace tav::options
