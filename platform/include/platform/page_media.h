// The page vocabulary the PrintTicket provider and the filters share: the
// orientations of the page's content on the medium and the device's
// printable area.
#pragma once

#include "platform/types.h"

// The PageOrientation options. The values are the codes the filters keep in
// their ticket records (the order of their orientation table).
enum class PageOrientation : INT {
    Landscape = 0,
    Portrait = 1,
    ReverseLandscape = 2,
    ReversePortrait = 3,
};

// Whether the content lies across the medium: its width along the medium's
// height.
constexpr bool IsLandscapeLike(PageOrientation orientation)
{
    return orientation == PageOrientation::Landscape || orientation == PageOrientation::ReverseLandscape;
}

// The device's printable area (PageImageableSize), in microns: the page in
// the orientation of the content, and the printable rectangle on it.
struct ImageableArea {
    INT imageableSizeWidth = 0;
    INT imageableSizeHeight = 0;
    INT originWidth = 0;
    INT originHeight = 0;
    INT extentWidth = 0;
    INT extentHeight = 0;
    bool operator==(const ImageableArea&) const = default;
};

// The margins of the built-in default device on every side, in microns (as
// its description, devices/default.xml, gives them).
inline constexpr INT kDefaultDeviceMarginMicrons = 4233;
