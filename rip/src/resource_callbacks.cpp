#include "resource_callbacks.h"

#include <chrono>
#include <cstdio>
#include <new>
#include <string>
#include <thread>

#include "filtercore/read_stream_as_istream.h"
#include "platform/base.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "ripimage/image_block.h"

namespace {

thread_local ImageFailureListener* imageFailureListener = nullptr;

// A part whose content is still arriving answers E_PENDING; only then can
// a later size query succeed. Every other answer (an empty part included)
// is final: content is complete and immutable while it is read.
constexpr int kSizeAttempts = 1000;
constexpr std::chrono::milliseconds kSizeRetryPause{10};

std::u16string WideUri(const char* uri)
{
    int length = MultiByteToWideChar(CP_ACP, 0, uri, -1, nullptr, 0);
    if (length <= 1) return u"";
    std::u16string wide(static_cast<size_t>(length), u'\0');
    if (MultiByteToWideChar(CP_ACP, 0, uri, -1, wide.data(), length) != length) return u"";
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// The part's content wrapped as an IStream, when the page has a part of
// that name and kind.
HRESULT OpenPart(IFixedPage* page, const char* uri, REFIID kind, IStream** content)
{
    std::u16string name = WideUri(uri);
    if (name.empty()) return E_INVALIDARG;
    ComPtr<IUnknown> part;
    HRESULT hr = page->GetPagePart(name.c_str(), part.Out());
    if (FAILED(hr)) return hr;
    if (!part) return E_POINTER;
    // Font, colour-profile and image parts are IPartBase parts of their own
    // kind.
    ComPtr<IPartBase> typed;
    hr = part->QueryInterface(kind, typed.OutVoid());
    if (FAILED(hr)) return hr;
    ComPtr<IPrintReadStream> stream;
    hr = typed->GetStream(stream.Out());
    if (FAILED(hr)) return hr;
    return ReadStreamAsIStream::Create(stream.Get(), content);
}

HRESULT ContentSize(IStream* content, ULONGLONG* size)
{
    HRESULT hr = E_PENDING;
    for (int attempt = 0; attempt < kSizeAttempts && hr == E_PENDING; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kSizeRetryPause);
        STATSTG stat{};
        hr = content->Stat(&stat, STATFLAG_NONAME);
        if (SUCCEEDED(hr)) *size = stat.cbSize.QuadPart;
    }
    return hr;
}

// Reads exactly count bytes; a stream may deliver them in several pieces.
bool ReadAllBytes(IStream* content, BYTE* target, uint32_t count)
{
    uint32_t done = 0;
    while (done < count) {
        ULONG read = 0;
        HRESULT hr = content->Read(target + done, count - done, &read);
        if (FAILED(hr) || read == 0) return false;
        done += read;
    }
    return true;
}

BOOL FetchPart(REFIID kind, ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri,
               void** block, uint32_t* size)
{
    if (block != nullptr) *block = nullptr;
    if (size != nullptr) *size = 0;
    if (allocate == nullptr || release == nullptr || pageObject == nullptr || uri == nullptr || block == nullptr ||
        size == nullptr)
        return 0;
    try {
        ComPtr<IStream> content;
        if (FAILED(OpenPart(static_cast<IFixedPage*>(pageObject), uri, kind, content.Out()))) return 0;
        ULONGLONG bytes = 0;
        if (FAILED(ContentSize(content.Get(), &bytes)) || bytes == 0 || bytes > UINT32_MAX) return 0;
        uint32_t count = static_cast<uint32_t>(bytes);
        LARGE_INTEGER start{};
        if (FAILED(content->Seek(start, STREAM_SEEK_SET, nullptr))) return 0;
        void* made = allocate(count);
        if (made == nullptr) return 0;
        if (!ReadAllBytes(content.Get(), static_cast<BYTE*>(made), count)) {
            release(made);
            return 0;
        }
        *block = made;
        *size = count;
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void TellImageFailure(const char* uri, std::string_view reason)
{
    if (imageFailureListener != nullptr) imageFailureListener->ImageFailed(uri, reason);
}

std::string ImagePartFailure(HRESULT result)
{
    if (result == HRESULT_FROM_WIN32(ERROR_NOT_FOUND)) return "the page has no such image part";
    if (result == E_NOINTERFACE) return "the part is not an image";
    char text[64];
    std::snprintf(text, sizeof text, "the image part cannot be opened: error 0x%08X", static_cast<unsigned>(result));
    return text;
}

}  // namespace

ImageFailureScope::ImageFailureScope(ImageFailureListener* listener) : previous_(imageFailureListener)
{
    imageFailureListener = listener;
}

ImageFailureScope::~ImageFailureScope() { imageFailureListener = previous_; }

BOOL FetchImageData(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri, uintptr_t,
                    uintptr_t, void** block)
{
    if (block != nullptr) *block = nullptr;
    if (allocate == nullptr || release == nullptr || pageObject == nullptr || uri == nullptr || block == nullptr)
        return 0;
    // The listener hears every failure; nothing may escape into the
    // converter.
    try {
        ComPtr<IStream> content;
        HRESULT hr = OpenPart(static_cast<IFixedPage*>(pageObject), uri, IID_IPartImage, content.Out());
        if (FAILED(hr)) {
            TellImageFailure(uri, ImagePartFailure(hr));
            return 0;
        }
        tav::rip::ImageBlock image = tav::rip::BuildImageBlock(content.Get(), allocate, release);
        if (image.data == nullptr) {
            TellImageFailure(uri, image.failure);
            return 0;
        }
        *block = image.data;
        return 1;
    } catch (const std::bad_alloc&) {
        TellImageFailure(uri, "no memory to read the image");
        return 0;
    }
}

BOOL FetchFontData(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri, uintptr_t,
                   uintptr_t, void** block, uint32_t* size)
{
    return FetchPart(IID_IPartFont, allocate, release, pageObject, uri, block, size);
}

BOOL FetchColourProfileData(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri,
                            uintptr_t, uintptr_t, void** block, uint32_t* size)
{
    return FetchPart(IID_IPartColorProfile, allocate, release, pageObject, uri, block, size);
}
