// The text of one -o, read as lp reads it: several settings separated by
// blanks ("booklet=on mirror=width"), a value quoted with ' or " or with
// blanks escaped by a backslash, a bare option that takes on and off
// meaning on ("booklet") and one prefixed with "no" meaning off
// ("nobooklet"). Option
// names are taken in any case and given back in lower case.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav::options {

// Appends the settings to *settings. False and *error for a bare word that
// is no boolean option, or an empty name. A word without '=' that follows a
// text value and is no option name continues that value, so that
// -o "watermark-text=Draft copy" keeps its blank.
bool SplitOptionSettings(std::string_view text, std::vector<std::pair<std::string, std::string>>* settings,
                         std::string* error);

// "; did you mean booklet?" naming the options closest to an unknown name,
// or "; tavpipe options lists them" when none is close.
std::string OptionSuggestion(std::string_view unknownName);

// The names every option is known by: the ticket options and the options
// the host takes itself.
std::vector<std::string_view> AllOptionNames();

}  // namespace tav::options
