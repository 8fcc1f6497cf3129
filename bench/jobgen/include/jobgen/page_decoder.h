// Reading back which generated page a render shows, and how it lies.
#pragma once

#include <optional>

#include "jobgen/identity_marks.h"
#include "jobgen/orientation.h"
#include "jobgen/rgb_image.h"

namespace jobgen {

// Where a logical page appears in a raster: `area` is the rectangle in
// pixels that the page fills once oriented, `page` the page's own size in
// XPS units (before orientation).
struct PageFrame {
    Rect area;
    PageSize page;
    Orientation orientation;
};

inline constexpr int kBlankPage = -1;
// Something other than a generated page, or one lying otherwise than said.
inline constexpr int kUnrecognisedPage = -2;

// The page's number in its job (bits beyond kIdentityBits are lost);
// kBlankPage when the page is white wherever the marks of any orientation
// would be; otherwise kUnrecognisedPage: the colour band and the triangle
// are not where the frame puts them, or a bar is neither black nor white.
int DecodePageNumber(const RgbImage& raster, const PageFrame& frame);

// Which of the eight orientations puts the colour band and the triangle of
// a generated page of size `page` where they appear in `area`; nothing for
// a blank or unrecognised page.
std::optional<Orientation> DetectOrientation(const RgbImage& raster, const Rect& area, PageSize page);

// A frame filling the whole raster.
PageFrame WholeRasterFrame(const RgbImage& raster, PageSize page, Orientation orientation = {});

}  // namespace jobgen
