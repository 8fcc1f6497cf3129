// The converter's requests for a page's fonts, colour profiles and images
// (GetXPSFontData, GetXPSICCData, GetXPSImageData): the bytes of the part
// the page names, or the decoded image as an image block, in a block from
// the converter's own allocator. The page object is the IFixedPage
// registered with XpsSetConvResAPI; the URI is in the process's multibyte
// code and is resolved against the page.
#pragma once

#include <string_view>

#include "converter/converter_interface.h"

// 1 with *block (of *size bytes, from allocate) on success; 0 with *block
// null and *size 0 when the page has no such part, the part is empty, larger
// than 4 GiB or cannot be read, or allocate gives nothing.
BOOL FetchFontData(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri,
                   uintptr_t ignored1, uintptr_t ignored2, void** block, uint32_t* size);
BOOL FetchColourProfileData(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri,
                            uintptr_t ignored1, uintptr_t ignored2, void** block, uint32_t* size);

// 1 with *block holding the image block of the image part (tav::rip::
// BuildImageBlock); 0 with *block null when the page has no such image part
// or the image cannot be decoded or converted. The converter learns only
// the 0; the reason goes to the listener of the calling thread.
BOOL FetchImageData(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri,
                    uintptr_t ignored1, uintptr_t ignored2, void** block);

// Hears why an image could not be given to the converter: the URI as the
// converter asked for it and the reason in words.
class ImageFailureListener {
public:
    virtual void ImageFailed(std::string_view uri, std::string_view reason) = 0;

protected:
    ~ImageFailureListener() = default;
};

// Makes listener the one that hears the image failures of this thread while
// the scope lasts: the converter calls the callbacks on the thread that
// feeds it the page. Scopes nest; the previous listener comes back.
class ImageFailureScope {
public:
    explicit ImageFailureScope(ImageFailureListener* listener);
    ~ImageFailureScope();
    ImageFailureScope(const ImageFailureScope&) = delete;
    ImageFailureScope& operator=(const ImageFailureScope&) = delete;

private:
    ImageFailureListener* previous_;
};
