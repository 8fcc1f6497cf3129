// What both PNG decoders share: libpng reading from the file's bytes in
// memory, errors that jump back with png_longjmp carrying their message, and
// the read structures released on every path. The functions that set the
// jump point hold nothing with a destructor, so the jump skips no C++
// clean-up.
#pragma once

#include <png.h>

#include <cstddef>
#include <cstdint>

namespace tav::imaging {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t offset;
    char message[256];
};

class PngReadStruct {
public:
    // Reads from the source and reports errors into its message.
    explicit PngReadStruct(PngSource* source);
    ~PngReadStruct();
    PngReadStruct(const PngReadStruct&) = delete;
    PngReadStruct& operator=(const PngReadStruct&) = delete;

    // Null when libpng had no memory for them.
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_;
    png_infop info_;
};

}  // namespace tav::imaging
