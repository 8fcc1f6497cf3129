// The directory of a JPEG XR file (its image file directory, TIFF style) as
// the decoder is allowed to see it. jxrlib stops the whole process (assert)
// on some entries of a damaged file: an orientation past its table, and
// descriptive metadata (titles, ratings, captions) of a type it does not
// expect. KeptJpegXrDirectory copies the directory with only the entries an
// image needs, each checked, and the reader serves that copy in place of the
// file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav::imaging {

struct JpegXrDirectory {
    size_t offset = 0;           // where the directory starts in the file
    std::vector<uint8_t> bytes;  // its entry count and the entries kept
};

// The directory with the pixel format, orientation, compression, image
// type, sizes, resolutions, the image and alpha data's places and the colour
// profile; every other entry is left out. Nothing, with the reason, when the
// header or the directory is damaged or the orientation unknown.
std::optional<JpegXrDirectory> KeptJpegXrDirectory(const uint8_t* data, size_t size, std::string* reason);

}  // namespace tav::imaging
