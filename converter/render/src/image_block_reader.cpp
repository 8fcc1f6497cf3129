#include "image_block_reader.h"

#include <string>

#include "converter/converter_interface.h"

namespace tav::render {

namespace {

uint32_t Little16(const uint8_t* at) { return static_cast<uint32_t>(at[0] | at[1] << 8); }

uint32_t Big32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 | static_cast<uint32_t>(at[2]) << 8 |
           at[3];
}

double Resolution(const uint8_t* whole, const uint8_t* fraction)
{
    double value = Little16(whole) + Little16(fraction) / 65536.0;
    return value > 0 ? value : 96;
}

// Whether `samples` bytes a pixel suit the colour model, and whether the
// last of them is alpha.
bool SamplesFit(uint8_t model, uint32_t samples, bool* alpha)
{
    *alpha = model == kImageRgbAlpha || model == kImageCmykAlpha || model == kImageNChannelAlpha;
    switch (model) {
    case kImageGray: return samples == 1;
    case kImageRgb: return samples == 3;
    case kImageCmyk: return samples == 4;
    case kImageRgbAlpha: return samples == 4;
    case kImageCmykAlpha: return samples == 5;
    case kImageNChannel: return samples >= 1 && samples <= 8;
    case kImageNChannelAlpha: return samples >= 2 && samples <= 9;
    default: return false;
    }
}

}  // namespace

Parsed<ImageBlockView> ReadImageBlock(const uint8_t* block, size_t size)
{
    using Result = Parsed<ImageBlockView>;
    if (!block || size < kImageBlockHeaderSize) return Result::Fail("the image block is shorter than its header");
    if (block[0] != 'T' || block[1] != 'I' || block[2] != 'T' || block[3] != 'N')
        return Result::Fail("the image block does not begin with TITN");
    ImageBlockView view;
    view.width = Little16(block + 8);
    view.height = Little16(block + 10);
    view.dpiX = Resolution(block + 12, block + 32);
    view.dpiY = Resolution(block + 14, block + 34);
    view.samples = block[16];
    view.colourModel = block[17];
    if (view.width == 0 || view.height == 0) return Result::Fail("the image block has no pixels");
    if (!SamplesFit(view.colourModel, view.samples, &view.hasAlpha))
        return Result::Fail("the image block's colour model " + std::to_string(view.colourModel) + " with " +
                            std::to_string(view.samples) + " samples a pixel is not one this converter reads");
    // At most 65535 x 65535 x 9 bytes: no overflow in 64 bits.
    uint64_t raster = uint64_t{view.width} * view.height * view.samples;
    if (raster > size - kImageBlockHeaderSize)
        return Result::Fail("the image block is shorter than its " + std::to_string(view.width) + " x " +
                            std::to_string(view.height) + " pixels");
    view.raster = block + kImageBlockHeaderSize;
    if (block[23] == kImageBlockHasProfile) {
        uint64_t offset = Big32(block + 24), length = Big32(block + 28);
        if (offset < kImageBlockHeaderSize + raster || length == 0 || offset + length > size)
            return Result::Fail("the image block's colour profile lies outside the block");
        view.profile = block + offset;
        view.profileSize = static_cast<uint32_t>(length);
    }
    return Result{view, {}};
}

}  // namespace tav::render
