#include "jpeg_reading.h"

#include <cstring>

#include <jerror.h>

namespace tav::imaging {

namespace {

// A progressive file may hold any number of scans, each a pass over the
// whole image; real encoders write about ten.
constexpr int kMaxJpegScans = 200;
// Corrupt data makes libjpeg warn and go on; this many warnings end it.
constexpr long kMaxJpegWarnings = 100;
// The decoder's own working memory (coefficients of a progressive image).
constexpr long kMaxJpegWorkingBytes = 320L * 1024 * 1024;

JpegErrors* ErrorsOf(j_common_ptr info) { return reinterpret_cast<JpegErrors*>(info->err); }

[[noreturn]] void Fail(j_common_ptr info, const char* message)
{
    JpegErrors* errors = ErrorsOf(info);
    std::snprintf(errors->message, sizeof errors->message, "%s", message);
    std::longjmp(errors->jump, 1);
}

void OnJpegError(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    Fail(info, text);
}

// A scan whose data stops at a marker ends early: libjpeg would decode the
// rest of the image from nothing, so a file of a few bytes would cost the
// decoding of its whole declared size. In a file with restart intervals,
// data cut short at a restart marker is damage the decoder recovers from at
// the next interval.
bool ScanEndsEarly(j_common_ptr info)
{
    if (info->err->msg_code != JWRN_HIT_MARKER) return false;
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    const int marker = decompress->unread_marker;
    const bool restart = marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7;
    return !restart || decompress->restart_interval == 0;
}

// Level -1 is a warning about the data. Data that ends early, with the file
// or with its scan, is a failure (libjpeg would fill the rest of the image
// with grey); other warnings are counted.
void OnJpegMessage(j_common_ptr info, int level)
{
    if (level >= 0) return;
    if (info->err->msg_code == JWRN_JPEG_EOF || ScanEndsEarly(info)) Fail(info, "the data ends early");
    if (++info->err->num_warnings > kMaxJpegWarnings) Fail(info, "the data is corrupt throughout");
}

void OnJpegProgress(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxJpegScans) Fail(info, "the image has too many scans");
}

}  // namespace

void FailJpeg(j_decompress_ptr decompress, const char* message)
{
    Fail(reinterpret_cast<j_common_ptr>(decompress), message);
}

JpegDecompressor::JpegDecompressor()
{
    std::memset(&errors_, 0, sizeof errors_);
    std::memset(&decompress_, 0, sizeof decompress_);
    decompress_.err = jpeg_std_error(&errors_.base);
    errors_.base.error_exit = OnJpegError;
    errors_.base.emit_message = OnJpegMessage;
    errors_.progress.progress_monitor = OnJpegProgress;
}

JpegDecompressor::~JpegDecompressor()
{
    if (created_) jpeg_destroy_decompress(&decompress_);
}

bool JpegDecompressor::Create()
{
    if (setjmp(errors_.jump)) return false;
    jpeg_create_decompress(&decompress_);
    created_ = true;
    decompress_.progress = &errors_.progress;
    decompress_.mem->max_memory_to_use = kMaxJpegWorkingBytes;
    return true;
}

ImageOutcome JpegFailure(const JpegErrors* errors)
{
    return ImageFailure(Gdiplus::GenericError, std::string("the JPEG image is damaged: ") + errors->message);
}

void JpegDensity(const jpeg_decompress_struct* decompress, double* dpiX, double* dpiY)
{
    if (!decompress->saw_JFIF_marker || decompress->X_density == 0 || decompress->Y_density == 0) return;
    const double perInch = decompress->density_unit == 1 ? 1.0 : decompress->density_unit == 2 ? 2.54 : 0.0;
    *dpiX = decompress->X_density * perInch;
    *dpiY = decompress->Y_density * perInch;
}

}  // namespace tav::imaging
