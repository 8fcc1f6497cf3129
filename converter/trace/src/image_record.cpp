#include "image_record.h"

#include <cstring>

#include "converter/converter_interface.h"

namespace tav::trace {
namespace {

uint32_t Little16(const uint8_t* bytes) { return bytes[0] | uint32_t{bytes[1]} << 8; }

uint32_t Big32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

}  // namespace

std::string DescribeImageBlock(const uint8_t* block, uint32_t size)
{
    if (block == nullptr || size < kImageBlockHeaderSize) return "bad-header shorter than its header";
    if (std::memcmp(block, "TITN", 4) != 0) return "bad-header without its signature";
    const uint32_t width = Little16(block + 8);
    const uint32_t height = Little16(block + 10);
    const uint32_t samples = block[16];
    const bool hasProfile = block[23] == kImageBlockHasProfile;
    const uint32_t profileOffset = Big32(block + 24);
    const uint32_t profileSize = Big32(block + 28);
    const uint64_t raster = uint64_t{samples} * width * height;
    if (kImageBlockHeaderSize + raster > size) return "bad-header raster past the block's end";
    if (hasProfile && (profileOffset != kImageBlockHeaderSize + raster || uint64_t{profileOffset} + profileSize > size))
        return "bad-header profile past the block's end";
    if (!hasProfile && (profileOffset != 0 || profileSize != 0)) return "bad-header profile fields without a profile";
    return "width " + std::to_string(width) + " height " + std::to_string(height) + " x-dpi " +
           std::to_string(Little16(block + 12)) + " " + std::to_string(Little16(block + 32)) + " y-dpi " +
           std::to_string(Little16(block + 14)) + " " + std::to_string(Little16(block + 34)) + " samples " +
           std::to_string(samples) + " model " + std::to_string(block[17]) + " profile " +
           std::to_string(hasProfile ? profileSize : 0);
}

}  // namespace tav::trace
