// Decoding in a child process, for a codec library that ends the whole
// process (assert, abort) on some damaged data: the child decodes and
// writes the outcome and the image into a pipe, and the parent reads them
// back within the image limits. A child that dies or stops early leaves a
// failure naming the format, and the print job goes on.
#pragma once

#include <cstddef>
#include <functional>

#include "native_image.h"

namespace tav::imaging {

// Runs `decode` in a child process and returns its outcome, with the image
// it made in *image when it succeeded. `largestProfile` bounds the ICC
// profile handed back (the file's size will do).
ImageOutcome DecodeInChildProcess(const std::function<ImageOutcome(NativeImage*)>& decode, size_t largestProfile,
                                  const char* format, NativeImage* image);

}  // namespace tav::imaging
