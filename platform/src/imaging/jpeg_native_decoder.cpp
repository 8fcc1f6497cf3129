// JPEG through libjpeg as its decoder delivers it: grey as 8bppGray, colour
// as 24bppBGR, CMYK and YCCK as 32bppCMYK (ink amounts, 0 for none), with
// the ICC profile its APP2 markers carry.
#include <cstdlib>
#include <cstring>
#include <new>

#include "jpeg_reading.h"
#include "native_image.h"
#include "platform/wincodec.h"

namespace tav::imaging {

namespace {

struct JpegFacts {
    JDIMENSION width;
    JDIMENSION height;
    J_COLOR_SPACE output;
    // Files with an Adobe marker store CMYK inverted (255 is no ink).
    bool invertedCmyk;
    double dpiX;
    double dpiY;
    // The profile libjpeg assembled from its chunks, freed with free().
    JOCTET* profile;
    unsigned int profileSize;
};

bool ReadJpegFacts(jpeg_decompress_struct* decompress, JpegErrors* errors, const uint8_t* data, size_t size,
                   JpegFacts* facts)
{
    if (setjmp(errors->jump)) return false;
    jpeg_mem_src(decompress, data, static_cast<unsigned long>(size));
    jpeg_save_markers(decompress, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(decompress, TRUE);
    facts->width = decompress->image_width;
    facts->height = decompress->image_height;
    switch (decompress->jpeg_color_space) {
    case JCS_GRAYSCALE: facts->output = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: facts->output = JCS_CMYK; break;
    default: facts->output = JCS_EXT_BGR; break;
    }
    facts->invertedCmyk = facts->output == JCS_CMYK && decompress->saw_Adobe_marker != 0;
    JpegDensity(decompress, &facts->dpiX, &facts->dpiY);
    // A profile whose chunks do not fit together is left out, with a warning.
    if (!jpeg_read_icc_profile(decompress, &facts->profile, &facts->profileSize)) facts->profile = nullptr;
    return true;
}

bool ReadJpegRows(jpeg_decompress_struct* decompress, JpegErrors* errors, const JpegFacts* facts, NativeImage* image)
{
    if (setjmp(errors->jump)) return false;
    decompress->out_color_space = facts->output;
    jpeg_start_decompress(decompress);
    if (decompress->output_width != image->width || decompress->output_height != image->height ||
        size_t{decompress->output_width} * decompress->output_components != image->stride) {
        FailJpeg(decompress, "unexpected JPEG output size");
    }
    while (decompress->output_scanline < decompress->output_height) {
        JSAMPROW row = image->Row(decompress->output_scanline);
        if (jpeg_read_scanlines(decompress, &row, 1) != 1) FailJpeg(decompress, "the data ends early");
    }
    return true;
}

GUID FormatOf(J_COLOR_SPACE output)
{
    switch (output) {
    case JCS_GRAYSCALE: return GUID_WICPixelFormat8bppGray;
    case JCS_CMYK: return GUID_WICPixelFormat32bppCMYK;
    default: return GUID_WICPixelFormat24bppBGR;
    }
}

// Releases the profile libjpeg allocated, on every path.
class ProfileBuffer {
public:
    explicit ProfileBuffer(JpegFacts* facts) : facts_(facts) {}
    ~ProfileBuffer() { std::free(facts_->profile); }
    ProfileBuffer(const ProfileBuffer&) = delete;
    ProfileBuffer& operator=(const ProfileBuffer&) = delete;

private:
    JpegFacts* facts_;
};

}  // namespace

ImageOutcome DecodeNativeJpeg(const uint8_t* data, size_t size, NativeImage* image)
{
    JpegDecompressor decompressor;
    if (!decompressor.Create()) return ImageFailure(Gdiplus::OutOfMemory, "no memory to read the JPEG image");
    JpegFacts facts{};
    ProfileBuffer profile(&facts);
    if (!ReadJpegFacts(decompressor.decompress(), decompressor.errors(), data, size, &facts)) {
        return JpegFailure(decompressor.errors());
    }
    const uint32_t bitsPerPixel = facts.output == JCS_GRAYSCALE ? 8 : facts.output == JCS_CMYK ? 32 : 24;
    ImageOutcome outcome =
        AllocateNativePixels(image, facts.width, facts.height, FormatOf(facts.output), bitsPerPixel, "JPEG");
    if (outcome.Failed()) return outcome;
    try {
        if (facts.profile != nullptr)
            image->profile.assign(reinterpret_cast<const char*>(facts.profile), facts.profileSize);
    } catch (const std::bad_alloc&) {
        image->pixels.clear();
        return ImageFailure(Gdiplus::OutOfMemory, "no memory for the colour profile of the JPEG image");
    }
    if (!ReadJpegRows(decompressor.decompress(), decompressor.errors(), &facts, image)) {
        image->pixels.clear();
        return JpegFailure(decompressor.errors());
    }
    if (facts.invertedCmyk) {
        for (uint8_t& sample : image->pixels) sample = static_cast<uint8_t>(255 - sample);
    }
    image->dpiX = facts.dpiX;
    image->dpiY = facts.dpiY;
    return {};
}

}  // namespace tav::imaging
