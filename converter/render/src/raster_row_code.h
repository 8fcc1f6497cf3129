// The run-length code of PWG Raster rows, made straight from the RGB24
// pixels the sheet is drawn in.
#pragma once

#include <cstdint>
#include <string>

namespace tav::render {

// Appends one row of RGB24 pixels (the top byte unused) as grey or RGB
// samples in the raster's run-length code: a control byte n of 0 to 127
// repeats the pixel after it n + 1 times; one of 129 to 255 is followed by
// 257 - n pixels as they are. Runs stay within the row and hold at most
// 128 pixels; pixels of the same colour form runs.
void EncodeRasterRow(const uint32_t* row, unsigned width, bool grey, std::string* out);

}  // namespace tav::render
