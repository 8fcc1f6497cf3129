#include "tiff_layout.h"

#include <tiff.h>

#include "platform/wincodec.h"

namespace tav::imaging {

namespace {

std::optional<TiffLayout> Same(const GUID& format, uint32_t bits)
{
    return TiffLayout{format, bits, TiffRowForm::kAsStored};
}

bool Associated(const TiffFacts& facts) { return facts.firstExtraType == EXTRASAMPLE_ASSOCALPHA; }

std::optional<TiffLayout> PlanGrey(const TiffFacts& facts, bool whiteIsZero)
{
    const uint16_t bits = facts.bitsPerSample;
    if (facts.sampleFormat == SAMPLEFORMAT_IEEEFP) {
        if (whiteIsZero || facts.samplesPerPixel != 1) return std::nullopt;
        if (bits == 32) return Same(GUID_WICPixelFormat32bppGrayFloat, 32);
        if (bits == 16) return Same(GUID_WICPixelFormat16bppGrayHalf, 16);
        return std::nullopt;
    }
    if (facts.sampleFormat != SAMPLEFORMAT_UINT) return std::nullopt;
    if (facts.samplesPerPixel == 2 && facts.extraSamples == 1 && !whiteIsZero) {
        if (bits == 8) {
            return TiffLayout{Associated(facts) ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGRA, 32,
                              TiffRowForm::kGreyAlphaToBgra};
        }
        if (bits == 16) {
            return TiffLayout{Associated(facts) ? GUID_WICPixelFormat64bppPRGBA : GUID_WICPixelFormat64bppRGBA, 64,
                              TiffRowForm::kGreyAlphaToRgba16};
        }
        return std::nullopt;
    }
    if (facts.samplesPerPixel != 1) return std::nullopt;
    const TiffRowForm form = whiteIsZero ? TiffRowForm::kInverted : TiffRowForm::kAsStored;
    switch (bits) {
    case 1: return TiffLayout{GUID_WICPixelFormatBlackWhite, 1, form};
    case 2: return TiffLayout{GUID_WICPixelFormat2bppGray, 2, form};
    case 4: return TiffLayout{GUID_WICPixelFormat4bppGray, 4, form};
    case 8: return TiffLayout{GUID_WICPixelFormat8bppGray, 8, form};
    case 16: return TiffLayout{GUID_WICPixelFormat16bppGray, 16, form};
    default: return std::nullopt;
    }
}

std::optional<TiffLayout> PlanRgb(const TiffFacts& facts)
{
    const uint16_t bits = facts.bitsPerSample;
    const bool alpha = facts.samplesPerPixel == 4 && facts.extraSamples == 1;
    if (facts.samplesPerPixel != 3 && !alpha) return std::nullopt;
    const bool associated = alpha && Associated(facts);
    const bool unspecified = alpha && facts.firstExtraType == EXTRASAMPLE_UNSPECIFIED;
    if (facts.sampleFormat == SAMPLEFORMAT_IEEEFP) {
        if (bits == 32 && !alpha) return TiffLayout{GUID_WICPixelFormat128bppRGBFloat, 128, TiffRowForm::kPadFloatRgb};
        if (bits == 32 && unspecified) return Same(GUID_WICPixelFormat128bppRGBFloat, 128);
        if (bits == 32)
            return Same(associated ? GUID_WICPixelFormat128bppPRGBAFloat : GUID_WICPixelFormat128bppRGBAFloat, 128);
        if (bits == 16 && !alpha) return Same(GUID_WICPixelFormat48bppRGBHalf, 48);
        if (bits == 16 && unspecified) return Same(GUID_WICPixelFormat64bppRGBHalf, 64);
        if (bits == 16 && !associated) return Same(GUID_WICPixelFormat64bppRGBAHalf, 64);
        return std::nullopt;
    }
    if (facts.sampleFormat != SAMPLEFORMAT_UINT) return std::nullopt;
    if (bits == 8 && !alpha) return Same(GUID_WICPixelFormat24bppRGB, 24);
    if (bits == 8) {
        const GUID& format = unspecified  ? GUID_WICPixelFormat32bppBGR
                             : associated ? GUID_WICPixelFormat32bppPBGRA
                                          : GUID_WICPixelFormat32bppBGRA;
        return TiffLayout{format, 32, TiffRowForm::kSwapRedBlue};
    }
    if (bits == 16 && !alpha) return Same(GUID_WICPixelFormat48bppRGB, 48);
    if (bits == 16 && !unspecified)
        return Same(associated ? GUID_WICPixelFormat64bppPRGBA : GUID_WICPixelFormat64bppRGBA, 64);
    return std::nullopt;
}

// CMYK with its alpha, or three to eight inks of any kind, with or without
// an alpha sample. Extra samples that are not alpha are inks: libtiff
// declares every sample past the fourth of such a file an extra sample of
// no stated kind.
std::optional<TiffLayout> PlanInks(const TiffFacts& facts)
{
    const uint16_t bits = facts.bitsPerSample;
    const bool alpha = facts.extraSamples > 0 && facts.firstExtraType != EXTRASAMPLE_UNSPECIFIED;
    if (facts.sampleFormat != SAMPLEFORMAT_UINT || (bits != 8 && bits != 16) || (alpha && facts.extraSamples > 1)) {
        return std::nullopt;
    }
    const int inks = facts.samplesPerPixel - (alpha ? 1 : 0);
    const uint32_t pixelBits = uint32_t{facts.samplesPerPixel} * bits;
    if (inks == 4 && facts.inkSet == INKSET_CMYK) {
        if (alpha)
            return Same(bits == 8 ? GUID_WICPixelFormat40bppCMYKAlpha : GUID_WICPixelFormat80bppCMYKAlpha, pixelBits);
        return Same(bits == 8 ? GUID_WICPixelFormat32bppCMYK : GUID_WICPixelFormat64bppCMYK, pixelBits);
    }
    if (inks < 3 || inks > 8) return std::nullopt;
    // The n-channel formats are numbered by channel count, in four runs.
    const uint8_t first = bits == 8 ? (alpha ? 0x2E : 0x20) : (alpha ? 0x34 : 0x26);
    return Same(WICPixelFormat(static_cast<uint8_t>(first + inks - 3)), pixelBits);
}

}  // namespace

std::optional<TiffLayout> PlanTiffLayout(const TiffFacts& facts)
{
    if (facts.tiled || (facts.planarConfig != PLANARCONFIG_CONTIG && facts.samplesPerPixel > 1)) return std::nullopt;
    switch (facts.photometric) {
    case PHOTOMETRIC_MINISBLACK: return PlanGrey(facts, false);
    case PHOTOMETRIC_MINISWHITE: return PlanGrey(facts, true);
    case PHOTOMETRIC_RGB: return PlanRgb(facts);
    case PHOTOMETRIC_SEPARATED: return PlanInks(facts);
    case PHOTOMETRIC_PALETTE: {
        if (facts.samplesPerPixel != 1 || facts.sampleFormat != SAMPLEFORMAT_UINT) return std::nullopt;
        switch (facts.bitsPerSample) {
        case 1: return Same(GUID_WICPixelFormat1bppIndexed, 1);
        case 2: return Same(GUID_WICPixelFormat2bppIndexed, 2);
        case 4: return Same(GUID_WICPixelFormat4bppIndexed, 4);
        case 8: return Same(GUID_WICPixelFormat8bppIndexed, 8);
        default: return std::nullopt;
        }
    }
    default: return std::nullopt;
    }
}

}  // namespace tav::imaging
