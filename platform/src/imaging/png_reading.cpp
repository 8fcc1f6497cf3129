#include "png_reading.h"

#include <cstdio>
#include <cstring>

namespace tav::imaging {

namespace {

void OnPngError(png_structp png, png_const_charp message)
{
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (a bad CRC in an ancillary chunk and the like) are not errors.
void OnPngWarning(png_structp, png_const_charp) {}

void ReadPngBytes(png_structp png, png_bytep out, size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->size - source->offset < count) png_error(png, "the data ends early");
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

}  // namespace

PngReadStruct::PngReadStruct(PngSource* source)
    : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, source, OnPngError, OnPngWarning)),
      info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr)
{
    if (png_ != nullptr) png_set_read_fn(png_, source, ReadPngBytes);
}

PngReadStruct::~PngReadStruct() { png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr); }

}  // namespace tav::imaging
