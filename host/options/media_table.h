// Media names of the command line (PWG self-describing names, the short
// names people type, custom sizes) and the PageMediaSize options they stand
// for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "numbers.h"

namespace tav::options {

struct MediaSize {
    std::string keyword;  // PageMediaSize option, Print Schema keywords namespace
    int width = 0;        // microns
    int height = 0;       // microns
    bool custom = false;  // CustomMediaSize
    bool inches = false;  // a custom size given in inches
};

// The smallest and largest custom side, in microns.
inline constexpr int kMinCustomSide = 1000;
inline constexpr int kMaxCustomSide = 2000000;

// Accepts a PWG name ("iso_a4_210x297mm"), a short name ("A4", compared
// without regard to ASCII case) or "custom_WxHmm" / "custom_WxHin".
Parsed ParseMedia(std::string_view text, MediaSize* media);

// The PWG name of a PageMediaSize option ("ISOA4": "iso_a4_210x297mm");
// empty for one no name stands for.
std::string_view MediaNameOfKeyword(std::string_view keyword);

// The names to show: each PWG name, then the custom forms.
std::vector<std::string> ListedMediaNames();
// Every accepted spelling, for the help of one option.
std::vector<std::string> AcceptedMediaNames();

}  // namespace tav::options
