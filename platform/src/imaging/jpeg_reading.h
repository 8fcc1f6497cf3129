// What both JPEG decoders share: a libjpeg decompressor whose fatal errors,
// and the warnings treated as fatal, jump back to the function that set the
// jump point with their message; a bound on the scans of a progressive file
// and on the decoder's working memory. The functions that set the jump
// point hold nothing with a destructor, so the jump skips no C++ clean-up.
// The platform's types come first: jpeglib.h defines TRUE and FALSE as
// macros where they are not defined yet, and needs FILE declared.
#pragma once

#include "platform/types.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "decoded_image.h"

namespace tav::imaging {

struct JpegErrors {
    jpeg_error_mgr base;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 64];
};

// Ends decoding with the message: jumps to the jump point.
[[noreturn]] void FailJpeg(j_decompress_ptr decompress, const char* message);

class JpegDecompressor {
public:
    JpegDecompressor();
    ~JpegDecompressor();
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;

    // Creating may fail for want of memory.
    bool Create();

    jpeg_decompress_struct* decompress() { return &decompress_; }
    JpegErrors* errors() { return &errors_; }

private:
    JpegErrors errors_;
    jpeg_decompress_struct decompress_;
    bool created_ = false;
};

// The failure with the message of the error that ended decoding.
ImageOutcome JpegFailure(const JpegErrors* errors);

// Dots per inch from the JFIF density of a header that was read; 0 when the
// file gives none.
void JpegDensity(const jpeg_decompress_struct* decompress, double* dpiX, double* dpiY);

}  // namespace tav::imaging
