#include "colour_profiles.h"

#include <algorithm>

// The platform's TRUE and FALSE first: Little CMS defines them as macros
// only where they are not defined yet.
#include "converter/converter_interface.h"

#include <lcms2.h>

namespace tav::render {

namespace {

bool IsConvertibleClass(cmsProfileClassSignature deviceClass)
{
    return deviceClass != cmsSigLinkClass && deviceClass != cmsSigAbstractClass && deviceClass != cmsSigNamedColorClass;
}

// A transform from `profile` at the given sample size and stride to sRGB.
void* MakeTransform(void* profile, int bytes, size_t stride, uint32_t channels)
{
    cmsUInt32Number input = cmsFormatterForColorspaceOfProfile(profile, bytes, FALSE);
    if (input == 0) return nullptr;
    input |= EXTRA_SH(stride - channels);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform = cmsCreateTransform(profile, input, srgb, bytes == 1 ? TYPE_RGB_8 : TYPE_RGB_16,
                                                 INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION);
    cmsCloseProfile(srgb);
    return transform;
}

uint8_t ToByte(double value) { return static_cast<uint8_t>(std::clamp(value, 0.0, 1.0) * 255 + 0.5); }

}  // namespace

std::unique_ptr<ColourProfile> ColourProfile::Open(const uint8_t* bytes, size_t size, std::string* error)
{
    if (!bytes || size < 128 || size > UINT32_MAX) {
        *error = "not an ICC profile";
        return nullptr;
    }
    cmsHPROFILE profile = cmsOpenProfileFromMem(bytes, static_cast<cmsUInt32Number>(size));
    if (!profile) {
        *error = "not an ICC profile Little CMS can read";
        return nullptr;
    }
    std::unique_ptr<ColourProfile> made(new ColourProfile);
    made->profile_ = profile;
    made->space_ = cmsGetColorSpace(profile);
    cmsInt32Number channels = cmsChannelsOf(static_cast<cmsColorSpaceSignature>(made->space_));
    if (!IsConvertibleClass(cmsGetDeviceClass(profile)) || channels < 1 || channels > 15 ||
        cmsFormatterForColorspaceOfProfile(profile, 1, FALSE) == 0 || made->space_ == cmsSigLabData ||
        made->space_ == cmsSigXYZData) {
        *error = "a colour profile that colours cannot be converted from";
        return nullptr;
    }
    made->channels_ = static_cast<uint32_t>(channels);
    return made;
}

ColourProfile::~ColourProfile()
{
    if (transform8_) cmsDeleteTransform(transform8_);
    if (transform16_) cmsDeleteTransform(transform16_);
    if (profile_) cmsCloseProfile(profile_);
}

bool ColourProfile::ToSrgb(const uint8_t* samples, size_t stride, size_t count, uint8_t* rgb) const
{
    if (stride < channels_) return false;
    if (!transform8_ || stride8_ != stride) {
        if (transform8_) cmsDeleteTransform(transform8_);
        transform8_ = MakeTransform(profile_, 1, stride, channels_);
        stride8_ = stride;
    }
    if (!transform8_) return false;
    cmsDoTransform(transform8_, samples, rgb, static_cast<cmsUInt32Number>(count));
    return true;
}

bool ColourProfile::ToSrgb(const uint16_t* samples, size_t stride, size_t count, uint16_t* rgb) const
{
    if (stride < channels_) return false;
    if (!transform16_ || stride16_ != stride) {
        if (transform16_) cmsDeleteTransform(transform16_);
        transform16_ = MakeTransform(profile_, 2, stride, channels_);
        stride16_ = stride;
    }
    if (!transform16_) return false;
    cmsDoTransform(transform16_, samples, rgb, static_cast<cmsUInt32Number>(count));
    return true;
}

Rgba NearestSrgb(const std::vector<double>& channels, bool inks)
{
    auto c = [&](size_t i) { return i < channels.size() ? std::clamp(channels[i], 0.0, 1.0) : 0.0; };
    if (!inks && channels.size() == 1) return {c(0), c(0), c(0), 1};
    if (!inks && channels.size() == 3) return {c(0), c(1), c(2), 1};
    if (channels.size() == 1) return {1 - c(0), 1 - c(0), 1 - c(0), 1};  // one ink: a grey of it
    double k = c(3);
    return {(1 - c(0)) * (1 - k), (1 - c(1)) * (1 - k), (1 - c(2)) * (1 - k), 1};
}

Parsed<ImageConversion> ConvertImageBlock(const ImageBlockView& block, const ColourProfile* given)
{
    using Result = Parsed<ImageConversion>;
    ImageConversion out;
    DecodedImage& image = out.image;
    image.width = static_cast<int>(block.width);
    image.height = static_cast<int>(block.height);
    image.dpiX = block.dpiX;
    image.dpiY = block.dpiY;
    const uint32_t samples = block.samples;
    const uint32_t channels = samples - (block.hasAlpha ? 1 : 0);
    const bool inks = block.colourModel == kImageCmyk || block.colourModel == kImageCmykAlpha ||
                      block.colourModel == kImageNChannel || block.colourModel == kImageNChannelAlpha;

    const ColourProfile* profile = given;
    std::unique_ptr<ColourProfile> embedded;
    if (!profile && block.profile) {
        std::string error;
        embedded = ColourProfile::Open(block.profile, block.profileSize, &error);
        if (!embedded) {
            out.approximated = true;
            out.why = "its embedded colour profile is broken (" + error + ")";
        }
        profile = embedded.get();
    }
    if (profile && profile->Channels() != channels) {
        out.approximated = true;
        out.why = "its colour profile is for " + std::to_string(profile->Channels()) + " channels, the image has " +
                  std::to_string(channels);
        profile = nullptr;
    }
    if (!profile && inks && !out.approximated) {
        out.approximated = true;
        out.why = "it has ink colours and no colour profile";
    }

    image.pixels.resize(size_t{block.width} * block.height);
    std::vector<uint8_t> rgb(size_t{block.width} * 3);
    std::vector<double> values(channels);
    for (uint32_t y = 0; y < block.height; ++y) {
        const uint8_t* row = block.raster + size_t{y} * block.width * samples;
        if (profile) {
            if (!profile->ToSrgb(row, samples, block.width, rgb.data()))
                return Result::Fail("the image's colour profile cannot convert its colours");
        } else if (!inks && channels == 1) {
            for (uint32_t x = 0; x < block.width; ++x) std::fill_n(&rgb[3 * x], 3, row[x * samples]);
        } else if (!inks && channels == 3) {
            for (uint32_t x = 0; x < block.width; ++x) std::copy_n(row + size_t{x} * samples, 3, &rgb[3 * x]);
        } else {
            for (uint32_t x = 0; x < block.width; ++x) {
                for (uint32_t c = 0; c < channels; ++c) values[c] = row[size_t{x} * samples + c] / 255.0;
                Rgba nearest = NearestSrgb(values, inks);
                rgb[3 * x] = ToByte(nearest.r), rgb[3 * x + 1] = ToByte(nearest.g), rgb[3 * x + 2] = ToByte(nearest.b);
            }
        }
        uint32_t* pixels = image.pixels.data() + size_t{y} * block.width;
        for (uint32_t x = 0; x < block.width; ++x) {
            unsigned alpha = block.hasAlpha ? row[size_t{x} * samples + samples - 1] : 255;
            if (alpha != 255) image.opaque = false;
            pixels[x] = PremultipliedPixel(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2], alpha);
        }
    }
    return Result{std::move(out), {}};
}

}  // namespace tav::render
