// What both TIFF decoders share: libtiff over the file's bytes in memory,
// with no single allocation larger than the pixels of the largest image we
// accept; libtiff reports through the handlers of this handle only, the
// first error becoming the reason, nothing printed.
#pragma once

#include <tiffio.h>

#include <cstdint>

#include "decoded_image.h"

namespace tav::imaging {

struct TiffSource {
    const uint8_t* data;
    uint64_t size;
    uint64_t offset;
    char message[256];
};

class TiffReader {
public:
    explicit TiffReader(TiffSource* source);
    ~TiffReader();
    TiffReader(const TiffReader&) = delete;
    TiffReader& operator=(const TiffReader&) = delete;

    // Null when the header cannot be read.
    TIFF* tiff() const { return tiff_; }

private:
    TIFF* tiff_ = nullptr;
};

// "the TIFF image is damaged: " and libtiff's first error, or the fallback
// when it gave none.
ImageOutcome TiffFailure(const TiffSource& source, const char* fallback);

// Dots per inch from the resolution tags; left alone without a unit.
void ReadTiffResolution(TIFF* tiff, double* dpiX, double* dpiY);

}  // namespace tav::imaging
