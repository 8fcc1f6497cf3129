#include "page_geometry.h"

#include <algorithm>
#include <limits>

namespace tav::printticket {

std::optional<Orientation> OrientationFromKeyword(std::string_view keyword)
{
    for (Orientation orientation :
         {Orientation::Portrait, Orientation::Landscape, Orientation::ReversePortrait, Orientation::ReverseLandscape})
        if (keyword == OrientationKeyword(orientation)) return orientation;
    return std::nullopt;
}

const char* OrientationKeyword(Orientation orientation)
{
    switch (orientation) {
    case Orientation::Portrait: return "Portrait";
    case Orientation::Landscape: return "Landscape";
    case Orientation::ReversePortrait: return "ReversePortrait";
    case Orientation::ReverseLandscape: return "ReverseLandscape";
    }
    return "Portrait";
}

Margins TurnMargins(const Margins& m, Orientation orientation)
{
    switch (orientation) {
    case Orientation::Portrait: return m;
    // Counter-clockwise: the content's top lies on the medium's left edge,
    // its left on the medium's bottom edge.
    case Orientation::Landscape: return {m.bottom, m.left, m.top, m.right};
    // Clockwise: the content's top lies on the medium's right edge.
    case Orientation::ReverseLandscape: return {m.top, m.right, m.bottom, m.left};
    case Orientation::ReversePortrait: return {m.right, m.bottom, m.left, m.top};
    }
    return m;
}

namespace {

INT Held(int64_t value)
{
    return static_cast<INT>(
        std::clamp<int64_t>(value, std::numeric_limits<INT>::min(), std::numeric_limits<INT>::max()));
}

}  // namespace

ImageableArea ComputeImageableArea(int64_t mediaWidth, int64_t mediaHeight, const Margins& portraitMargins,
                                   Orientation orientation)
{
    bool turned = IsLandscapeLike(orientation);
    int64_t width = turned ? mediaHeight : mediaWidth;
    int64_t height = turned ? mediaWidth : mediaHeight;
    Margins margins = TurnMargins(portraitMargins, orientation);
    ImageableArea area;
    area.imageableSizeWidth = Held(width);
    area.imageableSizeHeight = Held(height);
    area.originWidth = Held(margins.left);
    area.originHeight = Held(margins.top);
    area.extentWidth = Held(std::max<int64_t>(0, width - margins.left - margins.right));
    area.extentHeight = Held(std::max<int64_t>(0, height - margins.top - margins.bottom));
    return area;
}

}  // namespace tav::printticket
