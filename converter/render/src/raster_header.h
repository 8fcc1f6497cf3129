// The PWG Raster page header of a sheet, worked out from the page device
// values and the DEVMODE: size, resolution, colour space, duplex, media
// type and media position.
#pragma once

#include <cups/raster.h>

#include "affine.h"
#include "parsed.h"
#include "sheet_setup.h"

namespace tav::render {

constexpr int kMaxRasterResolution = 2400;
// The largest sheet image the converter renders at once, in bytes.
constexpr uint64_t kMaxRasterBytes = 1ull << 31;

Parsed<cups_page_header2_t> MakeRasterHeader(const SheetSetup& setup);

// Page units (1/96 inch) to the sheet's pixels: scaled to the resolution and
// turned by the rotation code (each step a quarter turn clockwise) so the
// page fills the sheet from its top left corner.
Affine PageToSheetPixels(const SheetSetup& setup, const cups_page_header2_t& header);

// PWG MediaPosition of a DEVMODE paper source; 0 (automatic) when unknown.
unsigned MediaPositionForSource(int16_t defaultSource);
// PWG media type keyword of a DEVMODE media type; "" when unknown.
const char* MediaTypeKeyword(uint32_t mediaType);

}  // namespace tav::render
