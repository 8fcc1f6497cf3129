// JPEG through libjpeg. libjpeg's fatal errors and the warnings we treat as
// fatal jump back to the function that set the jump point; those functions
// hold nothing with a destructor, so the jump skips no C++ clean-up.
// The platform's types come first: jpeglib.h defines TRUE and FALSE as
// macros where they are not defined yet, and needs FILE declared.
#include "image_decoders.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace tav::imaging {

namespace {

// A progressive file may hold any number of scans, each a pass over the
// whole image; real encoders write about ten.
constexpr int kMaxJpegScans = 200;
// Corrupt data makes libjpeg warn and go on; this many warnings end it.
constexpr long kMaxJpegWarnings = 100;
// The decoder's own working memory (coefficients of a progressive image).
constexpr long kMaxJpegWorkingBytes = 320L * 1024 * 1024;

struct JpegErrors {
    jpeg_error_mgr base;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 64];
};

JpegErrors* ErrorsOf(j_common_ptr info) { return reinterpret_cast<JpegErrors*>(info->err); }

[[noreturn]] void FailJpeg(j_common_ptr info, const char* message)
{
    JpegErrors* errors = ErrorsOf(info);
    std::snprintf(errors->message, sizeof errors->message, "%s", message);
    std::longjmp(errors->jump, 1);
}

void OnJpegError(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    FailJpeg(info, text);
}

// Level -1 is a warning about the data. Data that ends early is a failure
// (libjpeg would fill the rest of the image with grey); other warnings are
// counted.
void OnJpegMessage(j_common_ptr info, int level)
{
    if (level >= 0) return;
    if (info->err->msg_code == JWRN_JPEG_EOF) FailJpeg(info, "the data ends early");
    if (++info->err->num_warnings > kMaxJpegWarnings) FailJpeg(info, "the data is corrupt throughout");
}

void OnJpegProgress(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxJpegScans) FailJpeg(info, "the image has too many scans");
}

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
    if (decompress->saw_JFIF_marker && decompress->X_density > 0 && decompress->Y_density > 0) {
        const double perInch = decompress->density_unit == 1 ? 1.0 : decompress->density_unit == 2 ? 2.54 : 0.0;
        header->dpiX = decompress->X_density * perInch;
        header->dpiY = decompress->Y_density * perInch;
    }
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
        FailJpeg(reinterpret_cast<j_common_ptr>(decompress), "unexpected JPEG output size");
    }
    while (decompress->output_scanline < decompress->output_height) {
        const uint32_t y = decompress->output_scanline;
        JSAMPROW row = header->cmyk ? cmykRow : image->Row(y);
        if (jpeg_read_scanlines(decompress, &row, 1) != 1)
            FailJpeg(reinterpret_cast<j_common_ptr>(decompress), "the data ends early");
        if (header->cmyk) CmykToRgba(cmykRow, image->Row(y), image->width, header->invertedCmyk);
    }
    return true;
}

class JpegDecompressor {
public:
    JpegDecompressor()
    {
        std::memset(&errors_, 0, sizeof errors_);
        std::memset(&decompress_, 0, sizeof decompress_);
        decompress_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = OnJpegError;
        errors_.base.emit_message = OnJpegMessage;
        errors_.progress.progress_monitor = OnJpegProgress;
    }
    ~JpegDecompressor()
    {
        if (created_) jpeg_destroy_decompress(&decompress_);
    }
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;

    // Creating may fail for want of memory.
    bool Create()
    {
        if (setjmp(errors_.jump)) return false;
        jpeg_create_decompress(&decompress_);
        created_ = true;
        decompress_.progress = &errors_.progress;
        decompress_.mem->max_memory_to_use = kMaxJpegWorkingBytes;
        return true;
    }

    jpeg_decompress_struct* decompress() { return &decompress_; }
    JpegErrors* errors() { return &errors_; }

private:
    JpegErrors errors_;
    jpeg_decompress_struct decompress_;
    bool created_ = false;
};

ImageOutcome JpegFailure(const JpegErrors* errors)
{
    return ImageFailure(Gdiplus::GenericError, std::string("the JPEG image is damaged: ") + errors->message);
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
