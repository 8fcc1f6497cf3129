// Colour profiles: ICC profiles opened with Little CMS and the conversions
// of image samples and colour-profile colours to sRGB through them, and
// the nearest sRGB where a profile is missing, broken or does not suit the
// colours it is given.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "colour.h"
#include "decoded_image.h"
#include "image_block_reader.h"

namespace tav::render {

class ColourProfile {
public:
    // Null with *error when Little CMS cannot read the profile or it is not
    // one colours can be converted from (its colour space is not grey, RGB,
    // CMYK or a number of inks).
    static std::unique_ptr<ColourProfile> Open(const uint8_t* bytes, size_t size, std::string* error);
    ~ColourProfile();
    ColourProfile(const ColourProfile&) = delete;
    ColourProfile& operator=(const ColourProfile&) = delete;

    // The colour channels of its colour space.
    uint32_t Channels() const { return channels_; }
    // Converts `count` pixels of Channels() 16-bit samples each (interleaved,
    // `stride` samples from one pixel to the next) to 16-bit sRGB triples.
    bool ToSrgb(const uint16_t* samples, size_t stride, size_t count, uint16_t* rgb) const;
    // Likewise for 8-bit samples, to 8-bit sRGB.
    bool ToSrgb(const uint8_t* samples, size_t stride, size_t count, uint8_t* rgb) const;

private:
    ColourProfile() = default;
    void* profile_ = nullptr;  // cmsHPROFILE
    uint32_t space_ = 0;       // cmsColorSpaceSignature
    uint32_t channels_ = 0;
    mutable void* transform8_ = nullptr;  // made on first use, per stride
    mutable size_t stride8_ = 0;
    mutable void* transform16_ = nullptr;
    mutable size_t stride16_ = 0;
};

// The nearest sRGB of colour channels from 0 to 1 without a profile: one
// channel is grey, three RGB; inks (CMYK, or any other number, taken as
// the first four inks) take away their share of the light, black from all
// three. `inks` marks channels that are inks even when there are one to
// three (n-channel images).
Rgba NearestSrgb(const std::vector<double>& channels, bool inks);

// The image block as the renderer draws it. `profile` (the page's own
// profile for the image) comes first, else the block's embedded profile,
// else sRGB for grey and RGB and the nearest sRGB for inks.
// *approximated is set when the colours were not converted through a
// profile that suits them where one was needed (missing, broken, of
// another colour space).
struct ImageConversion {
    DecodedImage image;
    bool approximated = false;
    std::string why;  // what was approximated, for the warning
};
Parsed<ImageConversion> ConvertImageBlock(const ImageBlockView& block, const ColourProfile* profile);

}  // namespace tav::render
