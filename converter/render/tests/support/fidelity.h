// Comparing the converter's renders with MuPDF's of the same XPS: a
// package's pages fed to the converter as PWG Raster and as PDF (rendered
// again by MuPDF), each compared in grey with `mutool draw` of the package.
//
// Thresholds, from measurements: anti-aliasing, hinting-free glyph
// rasterising, curve flattening and image interpolation differ between
// cairo and MuPDF along every edge, which costs a mean absolute grey
// difference of 0.1 to 2.4 per page; a missing or misplaced shape costs
// far more and, above all, leaves whole 4x4 blocks of strongly different
// pixels, of which edges leave none and glyph edges a few (at most 6
// measured, on a PDF page).
#pragma once

#include <string>
#include <vector>

#include "converter_driver.h"
#include "page_images.h"

namespace tav::render::testing {

constexpr int kDpi = 150;
constexpr double kMeanThreshold = 2.5;
constexpr int kBlockThreshold = 8;

std::string ReadFile(const std::string& path);
// A name in the temporary folder that is this process's own.
std::string TempPath(const std::string& name);

// A FixedPage of 384 x 288 units (600 x 450 pixels at 150 dpi) with the
// body and the page's resources markup.
std::string Page(const std::string& body, const std::string& resources = "");
// The page device of that page at 150 dpi.
PageDeviceValues SmallPage();

struct Measured {
    ImageDifference raster, pdf;
};

// Feeds every page of the package to the converter twice (PWG Raster and
// PDF) and compares each with MuPDF's render of the package, leaving out
// the given boxes of each page. TAV_RENDER_KEEP=1 keeps the images.
std::vector<Measured> Measure(const std::string& package, const std::vector<std::vector<PixelBox>>& ignored = {},
                              PageDeviceValues device = {});

// Prints each page's figures and expects them within the thresholds.
void ExpectClose(const std::vector<Measured>& results, const std::string& what);

}  // namespace tav::render::testing
