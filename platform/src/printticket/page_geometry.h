// Pure geometry of the printable area of a sheet: the medium's size and
// unprintable margins, turned with the page orientation.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/page_media.h"

namespace tav::printticket {

// Print Schema PageOrientation options. Landscape turns the content a
// quarter turn counter-clockwise on the medium, ReverseLandscape a quarter
// turn clockwise, ReversePortrait a half turn.
using Orientation = ::PageOrientation;

std::optional<Orientation> OrientationFromKeyword(std::string_view keyword);
const char* OrientationKeyword(Orientation orientation);

// Distances in microns from each edge to the printable area.
struct Margins {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Margins&) const = default;
};

using ::ImageableArea;

// The margins as seen from content in this orientation (a medium's margins
// are given for portrait).
Margins TurnMargins(const Margins& portrait, Orientation orientation);

// The imageable area of a medium of this portrait size and margins for
// content in this orientation. An extent never goes below 0; values beyond
// the 32-bit range of the area are held at its ends.
ImageableArea ComputeImageableArea(int64_t mediaWidth, int64_t mediaHeight, const Margins& portraitMargins,
                                   Orientation orientation);

}  // namespace tav::printticket
