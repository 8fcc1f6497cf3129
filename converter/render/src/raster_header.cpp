#include "raster_header.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/devmode.h"

namespace tav::render {

namespace {

constexpr double kMicronsPerUnit = 25400.0 / 96;

}  // namespace

unsigned MediaPositionForSource(int16_t source)
{
    switch (source) {
    case DMBIN_UPPER: return 11;   // top
    case DMBIN_LOWER: return 13;   // bottom
    case DMBIN_MIDDLE: return 12;  // middle
    case DMBIN_MANUAL:
    case DMBIN_ENVMANUAL: return 4;      // manual
    case DMBIN_ENVELOPE: return 5;       // envelope
    case DMBIN_LARGECAPACITY: return 3;  // large-capacity
    case DMBIN_CASSETTE: return 1;       // main
    default: break;
    }
    // The driver's own bins, numbered from DMBIN_USER, are the trays.
    if (source >= DMBIN_USER && source < DMBIN_USER + 20) return 20 + static_cast<unsigned>(source - DMBIN_USER);
    return 0;
}

const char* MediaTypeKeyword(uint32_t mediaType)
{
    switch (mediaType) {
    case 1: return "stationery";
    case 2: return "transparency";
    case 3: return "photographic-glossy";
    default: return "";
    }
}

Parsed<cups_page_header2_t> MakeRasterHeader(const SheetSetup& setup)
{
    using Result = Parsed<cups_page_header2_t>;
    const PageDevice& device = setup.device;
    int xdpi = device.resolutionX, ydpi = device.resolutionY;
    if (!device.known) xdpi = ydpi = 600;
    if (xdpi < 1 || ydpi < 1 || xdpi > kMaxRasterResolution || ydpi > kMaxRasterResolution)
        return Result::Fail("the resolution " + std::to_string(xdpi) + "x" + std::to_string(ydpi) +
                            " dpi is outside 1 to " + std::to_string(kMaxRasterResolution));
    bool turned = device.rotationCode == 3 || device.rotationCode == 5;
    double widthMicrons = (turned ? setup.pageHeight : setup.pageWidth) * kMicronsPerUnit;
    double heightMicrons = (turned ? setup.pageWidth : setup.pageHeight) * kMicronsPerUnit;
    if (device.known && device.widthMicrons > 0 && device.heightMicrons > 0) {
        widthMicrons = device.widthMicrons;
        heightMicrons = device.heightMicrons;
    }
    bool grey = setup.settings.colourKnown ? !setup.settings.colour : device.known && device.planes == 1;

    cups_page_header2_t header;
    std::memset(&header, 0, sizeof header);
    std::strcpy(header.MediaClass, "PwgRaster");
    std::strcpy(header.MediaType, MediaTypeKeyword(setup.settings.mediaType));
    header.MediaPosition = setup.settings.sourceKnown ? MediaPositionForSource(setup.settings.defaultSource) : 0;
    header.HWResolution[0] = static_cast<unsigned>(xdpi);
    header.HWResolution[1] = static_cast<unsigned>(ydpi);
    header.PageSize[0] = static_cast<unsigned>(std::lround(widthMicrons * 72 / 25400));
    header.PageSize[1] = static_cast<unsigned>(std::lround(heightMicrons * 72 / 25400));
    header.cupsPageSize[0] = static_cast<float>(widthMicrons * 72 / 25400);
    header.cupsPageSize[1] = static_cast<float>(heightMicrons * 72 / 25400);
    header.Duplex = setup.settings.duplex != DMDUP_SIMPLEX ? CUPS_TRUE : CUPS_FALSE;
    header.Tumble = setup.settings.duplex == DMDUP_HORIZONTAL ? CUPS_TRUE : CUPS_FALSE;
    double width = std::round(widthMicrons * xdpi / 25400);
    double height = std::round(heightMicrons * ydpi / 25400);
    if (width < 1 || height < 1) return Result::Fail("the sheet is smaller than one pixel");
    header.cupsWidth = static_cast<unsigned>(width);
    header.cupsHeight = static_cast<unsigned>(height);
    header.cupsBitsPerColor = 8;
    header.cupsBitsPerPixel = grey ? 8 : 24;
    header.cupsBytesPerLine = header.cupsWidth * (grey ? 1 : 3);
    header.cupsColorOrder = CUPS_ORDER_CHUNKED;
    header.cupsColorSpace = grey ? CUPS_CSPACE_SW : CUPS_CSPACE_SRGB;
    header.cupsNumColors = grey ? 1 : 3;
    uint64_t bytes = static_cast<uint64_t>(header.cupsWidth) * header.cupsHeight * 4;
    if (bytes > kMaxRasterBytes)
        return Result::Fail("a sheet of " + std::to_string(header.cupsWidth) + "x" + std::to_string(header.cupsHeight) +
                            " pixels is too large to render");
    // The PWG self-describing name of the size, when libcups knows one.
    if (pwg_media_t* media = pwgMediaForSize(static_cast<int>(std::lround(widthMicrons / 10)),
                                             static_cast<int>(std::lround(heightMicrons / 10))))
        std::snprintf(header.cupsPageSizeName, sizeof header.cupsPageSizeName, "%s", media->pwg);
    // Cross-feed and feed transforms of an unturned back side.
    header.cupsInteger[1] = 1;
    header.cupsInteger[2] = 1;
    return {header, {}};
}

Affine PageToSheetPixels(const SheetSetup& setup, const cups_page_header2_t& header)
{
    double sx = header.HWResolution[0] / 96.0, sy = header.HWResolution[1] / 96.0;
    double w = setup.pageWidth, h = setup.pageHeight;
    Affine turn;
    switch (setup.device.rotationCode) {
    case 3: turn = {0, 1, -1, 0, h, 0}; break;   // a quarter turn clockwise: (x, y) -> (h - y, x)
    case 4: turn = {-1, 0, 0, -1, w, h}; break;  // (x, y) -> (w - x, h - y)
    case 5: turn = {0, -1, 1, 0, 0, w}; break;   // three quarters: (x, y) -> (y, w - x)
    default: break;
    }
    return Then(turn, Scaling(sx, sy));
}

}  // namespace tav::render
