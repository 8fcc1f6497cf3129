#include "image_header.h"

#include <cmath>
#include <cstring>

#include "converter/converter_interface.h"

namespace tav::rip {

namespace {

HeaderResolution Split(double dotsPerInch)
{
    const double whole = std::floor(dotsPerInch);
    return {static_cast<uint16_t>(whole), static_cast<uint16_t>((dotsPerInch - whole) * 65536)};
}

bool Holdable(double dotsPerInch) { return dotsPerInch > 0 && dotsPerInch < 65536; }

void PutLittle16(uint8_t* out, uint16_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

void PutBig32(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

}  // namespace

void ChooseResolution(double dpiX, double dpiY, HeaderResolution* x, HeaderResolution* y)
{
    if (!Holdable(dpiX) || !Holdable(dpiY)) dpiX = dpiY = 96;
    *x = Split(dpiX);
    *y = Split(dpiY);
}

std::optional<uint32_t> ImageBlockSize(uint32_t samples, uint32_t width, uint32_t height, uint32_t profileSize)
{
    const uint64_t size = uint64_t{samples} * width * height + kImageBlockHeaderSize + profileSize;
    if (size > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(size);
}

void WriteImageHeader(const ImageHeader& header, uint8_t* out)
{
    std::memset(out, 0, kImageBlockHeaderSize);
    std::memcpy(out, "TITN", 4);
    out[4] = 6;
    out[6] = 28;
    PutLittle16(out + 8, header.width);
    PutLittle16(out + 10, header.height);
    PutLittle16(out + 12, header.resolutionX.whole);
    PutLittle16(out + 14, header.resolutionY.whole);
    out[16] = header.samples;
    out[17] = header.colourModel;
    out[20] = 1;
    out[21] = 0x31;
    if (header.profileSize != 0) {
        out[23] = kImageBlockHasProfile;
        PutBig32(out + 24, kImageBlockHeaderSize + header.rasterSize);
        PutBig32(out + 28, header.profileSize);
    }
    PutLittle16(out + 32, header.resolutionX.fraction);
    PutLittle16(out + 34, header.resolutionY.fraction);
}

}  // namespace tav::rip
