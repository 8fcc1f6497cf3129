// One image format's decoders, built once per format (TAV_FUZZ_IMAGE_FORMAT
// names the decoder): the GDI+ role's decoder that watermarks use (none for
// JPEG XR), then the imaging component's decoder through the rip filter's
// image block, as GetXPSImageData serves a converter. A decoded image must
// hold exactly its pixels.
#include <cstdlib>

#include "fuzz_support.h"
#include "image_decoders.h"
#include "ripimage/image_block.h"
#include "ticket_streams.h"

#define TAV_DECODE_FUNCTION(format) TAV_DECODE_FUNCTION_NAME(format)
#define TAV_DECODE_FUNCTION_NAME(format) tav::imaging::Decode##format

namespace {

void* Allocate(uint32_t size) { return std::malloc(size); }
void Release(void* block) { std::free(block); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tav::fuzz::EnsureComApartment();
#ifdef TAV_FUZZ_IMAGE_FORMAT
    tav::imaging::DecodedImage image;
    if (!TAV_DECODE_FUNCTION(TAV_FUZZ_IMAGE_FORMAT)(data, size, &image).Failed() &&
        image.rgba.size() != size_t{image.width} * image.height * 4)
        __builtin_trap();
#endif
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tav::rip::ImageBlock block = tav::rip::BuildImageBlock(tav::fuzz::BytesStream(bytes).Get(), Allocate, Release);
    if (block.data) {
        if (!block.failure.empty()) __builtin_trap();
        Release(block.data);
    } else if (block.failure.empty()) {
        __builtin_trap();
    }
    return 0;
}
