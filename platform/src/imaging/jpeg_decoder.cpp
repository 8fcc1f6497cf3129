// JPEG through libjpeg, as 8-bit RGBA.
#include "image_decoders.h"
#include "jpeg_reading.h"

namespace tav::imaging {

namespace {

struct JpegHeader {
    JDIMENSION width;
    JDIMENSION height;
    bool cmyk;
    bool invertedCmyk;
    double dpiX;
    double dpiY;
};

bool ReadJpegHeader(jpeg_decompress_struct* decompress, JpegErrors* errors, const uint8_t* data, size_t size,
                    JpegHeader* header)
{
    if (setjmp(errors->jump)) return false;
    jpeg_mem_src(decompress, data, static_cast<unsigned long>(size));
    jpeg_read_header(decompress, TRUE);
    header->width = decompress->image_width;
    header->height = decompress->image_height;
    header->cmyk = decompress->jpeg_color_space == JCS_CMYK || decompress->jpeg_color_space == JCS_YCCK;
    // Files with an Adobe marker store CMYK inverted (255 is no ink).
    header->invertedCmyk = decompress->saw_Adobe_marker != 0;
    JpegDensity(decompress, &header->dpiX, &header->dpiY);
    return true;
}

void CmykToRgba(const uint8_t* cmyk, uint8_t* rgba, uint32_t width, bool inverted)
{
    for (uint32_t x = 0; x < width; ++x, cmyk += 4, rgba += 4) {
        const int white[4] = {inverted ? cmyk[0] : 255 - cmyk[0], inverted ? cmyk[1] : 255 - cmyk[1],
                              inverted ? cmyk[2] : 255 - cmyk[2], inverted ? cmyk[3] : 255 - cmyk[3]};
        for (int channel = 0; channel < 3; ++channel)
            rgba[channel] = static_cast<uint8_t>(white[channel] * white[3] / 255);
        rgba[3] = 255;
    }
}

// Decodes into the image's rows; CMYK goes through cmykRow (width * 4
// bytes) and is converted.
bool ReadJpegPixels(jpeg_decompress_struct* decompress, JpegErrors* errors, const JpegHeader* header,
                    DecodedImage* image, uint8_t* cmykRow)
{
    if (setjmp(errors->jump)) return false;
    decompress->out_color_space = header->cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(decompress);
    if (decompress->output_width != image->width || decompress->output_height != image->height) {
        FailJpeg(decompress, "unexpected JPEG output size");
    }
    while (decompress->output_scanline < decompress->output_height) {
        const uint32_t y = decompress->output_scanline;
        JSAMPROW row = header->cmyk ? cmykRow : image->Row(y);
        if (jpeg_read_scanlines(decompress, &row, 1) != 1) FailJpeg(decompress, "the data ends early");
        if (header->cmyk) CmykToRgba(cmykRow, image->Row(y), image->width, header->invertedCmyk);
    }
    return true;
}

}  // namespace

ImageOutcome DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* image)
{
    JpegDecompressor decompressor;
    if (!decompressor.Create()) return ImageFailure(Gdiplus::OutOfMemory, "no memory to read the JPEG image");
    JpegHeader header{};
    if (!ReadJpegHeader(decompressor.decompress(), decompressor.errors(), data, size, &header)) {
        return JpegFailure(decompressor.errors());
    }
    ImageOutcome outcome = AllocatePixels(image, header.width, header.height, "JPEG");
    if (outcome.Failed()) return outcome;
    std::vector<uint8_t> cmykRow;
    try {
        if (header.cmyk) cmykRow.resize(size_t{header.width} * 4);
    } catch (const std::bad_alloc&) {
        return ImageFailure(Gdiplus::OutOfMemory, "no memory to read the JPEG image");
    }
    if (!ReadJpegPixels(decompressor.decompress(), decompressor.errors(), &header, image, cmykRow.data())) {
        image->rgba.clear();
        return JpegFailure(decompressor.errors());
    }
    image->dpiX = header.dpiX;
    image->dpiY = header.dpiY;
    return {};
}

}  // namespace tav::imaging
