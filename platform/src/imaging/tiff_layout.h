// How a TIFF's samples become the pixels of one of the imaging component's
// formats: from its photometric interpretation, samples, bits, sample
// format and extra samples alone, so that the choice is tested with numbers.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/guid.h"

namespace tav::imaging {

struct TiffFacts {
    uint16_t photometric = 0;
    uint16_t samplesPerPixel = 1;
    uint16_t bitsPerSample = 1;
    uint16_t sampleFormat = 1;  // SAMPLEFORMAT_UINT
    uint16_t planarConfig = 1;  // PLANARCONFIG_CONTIG
    uint16_t extraSamples = 0;
    uint16_t firstExtraType = 0;  // EXTRASAMPLE_UNSPECIFIED
    uint16_t inkSet = 1;          // INKSET_CMYK
    bool tiled = false;
};

// What is done to a row of stored samples to make a row of the format.
enum class TiffRowForm {
    kAsStored,
    // Grey with white at 0: every bit inverted.
    kInverted,
    // Four 8-bit samples R, G, B, X as B, G, R, X.
    kSwapRedBlue,
    // Two 8-bit samples grey, alpha as B, G, R, A.
    kGreyAlphaToBgra,
    // Two 16-bit samples grey, alpha as R, G, B, A.
    kGreyAlphaToRgba16,
    // Three floats R, G, B as R, G, B and a fourth, ignored, 1.
    kPadFloatRgb,
};

struct TiffLayout {
    GUID format;
    uint32_t bitsPerPixel;
    TiffRowForm form;
};

// The layout of a strip-organised, interleaved TIFF of these facts, or none
// when its samples have no format of their own here (it is then read through
// libtiff's RGBA interface as 32bppPBGRA).
std::optional<TiffLayout> PlanTiffLayout(const TiffFacts& facts);

}  // namespace tav::imaging
