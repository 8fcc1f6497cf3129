#include "jpegxr_directory.h"

#include <algorithm>
#include <iterator>

namespace tav::imaging {

namespace {

constexpr size_t kEntrySize = 12;
constexpr uint16_t kTransformation = 0xBC02;
// Orientations are numbered 0 to 7: the identity, flips and quarter turns.
constexpr uint32_t kOrientations = 8;

// The entries the decoder reads for the image itself.
constexpr uint16_t kImageTags[] = {
    0xBC01, kTransformation, 0xBC03, 0xBC04,  // pixel format, orientation, compression, image type
    0xBC80, 0xBC81,          0xBC82, 0xBC83,  // width, height, horizontal and vertical resolution
    0xBCC0, 0xBCC1,          0xBCC2, 0xBCC3,  // image and alpha data: offsets and byte counts
    0xBCC4, 0xBCC5,                           // discarded image and alpha data
    0x8773,                                   // colour profile
};

uint16_t Little16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Little32(const uint8_t* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

std::string Damaged(const std::string& what)
{
    return "the JPEG XR image is damaged: its header cannot be read" + (what.empty() ? "" : ": " + what);
}

}  // namespace

std::optional<JpegXrDirectory> KeptJpegXrDirectory(const uint8_t* data, size_t size, std::string* reason)
{
    // "II", the format's identifier 0xBC and version 0 or 1, the directory's offset.
    if (size < 8 || data[0] != 'I' || data[1] != 'I' || data[2] != 0xBC || data[3] > 1) {
        *reason = Damaged("");
        return std::nullopt;
    }
    const uint32_t offset = Little32(data + 4);
    if (offset > size || size - offset < 2) {
        *reason = Damaged("the directory lies past the end of the file");
        return std::nullopt;
    }
    const uint16_t count = Little16(data + offset);
    if (count == 0 || (size - offset - 2) / kEntrySize < count) {
        *reason = Damaged("the directory is empty or runs past the end of the file");
        return std::nullopt;
    }
    JpegXrDirectory directory;
    directory.offset = offset;
    directory.bytes.assign(2, 0);
    uint16_t kept = 0;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + offset + 2 + size_t{i} * kEntrySize;
        const uint16_t tag = Little16(entry);
        if (std::find(std::begin(kImageTags), std::end(kImageTags), tag) == std::end(kImageTags)) continue;
        if (tag == kTransformation && Little32(entry + 8) >= kOrientations) {
            *reason = Damaged("the orientation " + std::to_string(Little32(entry + 8)) + " is unknown");
            return std::nullopt;
        }
        directory.bytes.insert(directory.bytes.end(), entry, entry + kEntrySize);
        ++kept;
    }
    directory.bytes[0] = static_cast<uint8_t>(kept);
    directory.bytes[1] = static_cast<uint8_t>(kept >> 8);
    return directory;
}

}  // namespace tav::imaging
