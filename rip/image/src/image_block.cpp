// The steps of the image callback once the part's stream is in hand:
// decoder, frame 0, a bitmap cached on load, resolution, size, profile,
// pixel format, the block, then the rows one by one.
#include "ripimage/image_block.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "image_header.h"
#include "pixel_formats.h"
#include "platform/com.h"
#include "platform/comobject.h"
#include "platform/wincodec.h"
#include "row_conversion.h"

namespace tav::rip {

namespace {

std::string Hex(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

// The component's own reason where it gave one, else the HRESULT.
std::string Because(const char* what, HRESULT result)
{
    const std::string reason = WICLastFailureReason();
    return std::string(what) + ": " + (reason.empty() ? "error " + Hex(result) : reason);
}

std::string GuidText(const GUID& guid)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

ImageBlock Failure(std::string reason)
{
    ImageBlock block;
    block.failure = std::move(reason);
    return block;
}

// The decoded image as the callback sees it.
struct Source {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmap> bitmap;
};

bool OpenImage(IStream* stream, Source* source, std::string* failure)
{
    const LARGE_INTEGER start{};
    HRESULT result = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(result)) {
        *failure = "the image part cannot be read from its start: error " + Hex(result);
        return false;
    }
    result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_ALL, IID_IWICImagingFactory,
                              source->factory.OutVoid());
    if (FAILED(result)) {
        *failure = "the imaging component cannot be started: error " + Hex(result);
        return false;
    }
    ComPtr<IWICBitmapDecoder> decoder;
    result = source->factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, decoder.Out());
    if (SUCCEEDED(result)) result = decoder->GetFrame(0, source->frame.Out());
    if (SUCCEEDED(result)) {
        result =
            source->factory->CreateBitmapFromSource(source->frame.Get(), WICBitmapCacheOnLoad, source->bitmap.Out());
    }
    if (FAILED(result)) {
        *failure = Because("the image cannot be decoded", result);
        return false;
    }
    return true;
}

// The size of the frame's first colour profile; 0 when it has none.
bool ProfileSize(Source* source, ComPtr<IWICColorContext>* context, uint32_t* size, std::string* failure)
{
    UINT count = 0;
    HRESULT result = source->factory->CreateColorContext(context->Out());
    if (SUCCEEDED(result)) {
        IWICColorContext* contexts[1] = {context->Get()};
        result = source->frame->GetColorContexts(1, contexts, &count);
    }
    if (FAILED(result)) {
        *failure = Because("the image's colour profile cannot be read", result);
        return false;
    }
    UINT bytes = 0;
    *size = count >= 1 && SUCCEEDED((*context)->GetProfileBytes(0, nullptr, &bytes)) ? bytes : 0;
    return true;
}

bool ReadPalette(Source* source, std::vector<uint32_t>* colours, std::string* failure)
{
    ComPtr<IWICPalette> palette;
    UINT count = 0;
    HRESULT result = source->factory->CreatePalette(palette.Out());
    if (SUCCEEDED(result)) result = source->bitmap->CopyPalette(palette.Get());
    if (SUCCEEDED(result)) result = palette->GetColorCount(&count);
    if (FAILED(result) || count == 0) {
        *failure = FAILED(result) ? Because("the image's palette cannot be read", result)
                                  : "the indexed image has an empty palette";
        return false;
    }
    colours->resize(count);
    result = palette->GetColors(count, colours->data(), &count);
    if (FAILED(result)) {
        *failure = Because("the image's palette cannot be read", result);
        return false;
    }
    colours->resize(count);
    return true;
}

bool ConvertRows(Source* source, const PixelFormat& format, uint32_t width, uint32_t height,
                 const std::vector<uint32_t>& palette, uint8_t* raster, std::string* failure)
{
    const uint64_t rowBytes = (uint64_t{width} * format.bitsPerPixel + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    const size_t outBytes = size_t{width} * format.samples;
    for (uint32_t y = 0; y < height; ++y) {
        const WICRect line = {0, static_cast<INT>(y), static_cast<INT>(width), 1};
        const HRESULT result =
            source->bitmap->CopyPixels(&line, static_cast<UINT>(rowBytes), static_cast<UINT>(rowBytes), row.data());
        if (FAILED(result)) {
            *failure = Because(("row " + std::to_string(y) + " of the image cannot be read").c_str(), result);
            return false;
        }
        ConvertRow(format, row.data(), width, palette, raster + y * outBytes);
    }
    return true;
}

// Gives the block back to the converter unless it was handed over.
class BlockOwner {
public:
    BlockOwner(void* block, ConverterFree release) : block_(block), release_(release) {}
    ~BlockOwner()
    {
        if (block_ != nullptr) release_(block_);
    }
    BlockOwner(const BlockOwner&) = delete;
    BlockOwner& operator=(const BlockOwner&) = delete;
    void* Release()
    {
        void* block = block_;
        block_ = nullptr;
        return block;
    }

private:
    void* block_;
    ConverterFree release_;
};

ImageBlock BuildBlock(IStream* stream, ConverterAllocate allocate, ConverterFree release)
{
    std::string failure;
    Source source;
    if (!OpenImage(stream, &source, &failure)) return Failure(failure);

    double dpiX = 0;
    double dpiY = 0;
    UINT width = 0;
    UINT height = 0;
    WICPixelFormatGUID guid{};
    HRESULT result = source.frame->GetResolution(&dpiX, &dpiY);
    if (SUCCEEDED(result)) result = source.bitmap->GetSize(&width, &height);
    if (SUCCEEDED(result)) result = source.bitmap->GetPixelFormat(&guid);
    if (FAILED(result)) return Failure(Because("the decoded image cannot be read", result));
    if (width == 0 || height == 0 || width > kMaxImageBlockSide || height > kMaxImageBlockSide) {
        return Failure("the image is " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels; an image handed to the converter has 1 to " + std::to_string(kMaxImageBlockSide) +
                       " a side");
    }

    ComPtr<IWICColorContext> context;
    uint32_t profileSize = 0;
    if (!ProfileSize(&source, &context, &profileSize, &failure)) return Failure(failure);

    const PixelFormat* format = FindPixelFormat(guid);
    if (format == nullptr) return Failure("the image's pixel format " + GuidText(guid) + " cannot be converted");
    std::vector<uint32_t> palette;
    if (format->rule == SampleRule::kPalette && !ReadPalette(&source, &palette, &failure)) return Failure(failure);

    const std::optional<uint32_t> size = ImageBlockSize(format->samples, width, height, profileSize);
    if (!size) {
        return Failure("the image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels (" +
                       format->name + ") and its profile need more than the 4 GiB a block can have");
    }
    auto* block = static_cast<uint8_t*>(allocate(*size));
    if (block == nullptr)
        return Failure("the converter has no memory for the image's " + std::to_string(*size) + " bytes");
    BlockOwner held(block, release);

    ImageHeader header;
    header.width = static_cast<uint16_t>(width);
    header.height = static_cast<uint16_t>(height);
    ChooseResolution(dpiX, dpiY, &header.resolutionX, &header.resolutionY);
    header.samples = format->samples;
    header.colourModel = format->colourModel;
    header.rasterSize = *size - kImageBlockHeaderSize - profileSize;
    uint8_t* profile = block + kImageBlockHeaderSize + header.rasterSize;
    UINT copied = 0;
    if (profileSize != 0 && SUCCEEDED(context->GetProfileBytes(profileSize, profile, &copied)) &&
        copied == profileSize) {
        header.profileSize = profileSize;
    } else {
        // A profile that could not be copied is left out; its room holds
        // nothing of the converter's old memory.
        std::memset(profile, 0, profileSize);
    }
    WriteImageHeader(header, block);
    if (!ConvertRows(&source, *format, width, height, palette, block + kImageBlockHeaderSize, &failure)) {
        return Failure(failure);
    }
    ImageBlock built;
    built.data = held.Release();
    built.size = *size;
    return built;
}

}  // namespace

ImageBlock BuildImageBlock(IStream* stream, ConverterAllocate allocate, ConverterFree release)
{
    if (stream == nullptr || allocate == nullptr || release == nullptr) return Failure("no image part to read");
    try {
        return BuildBlock(stream, allocate, release);
    } catch (const std::bad_alloc&) {
        return Failure("no memory to convert the image");
    }
}

}  // namespace tav::rip
