// The images and colour profiles of a job: fetched once through the image
// and colour-profile callbacks, converted to sRGB once, and kept for the
// pages after while they fit the job's budget.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "colour_profiles.h"
#include "converter/converter_interface.h"
#include "decoded_image.h"
#include "font_cache.h"

namespace tav::render {

// What one image may cost: the drawing library draws no image wider or
// higher than 32767 pixels, and an image is held as 4 bytes a pixel.
struct ImageLimits {
    uint32_t maxSide = 32767;
    uint64_t maxPixels = 50'000'000;         // 200 MB decoded
    uint64_t maxPageBytes = 1ull << 30;      // the decoded images one page draws
    uint64_t maxCachedBytes = 256ull << 20;  // kept between pages
};

class ProfileCache {
public:
    // The profile of a part, fetched through the colour-profile callback;
    // null with *error when it cannot be had or read.
    const ColourProfile* Profile(const std::string& uri, const FontSource& source, std::string* error);

private:
    struct Entry {
        std::unique_ptr<ColourProfile> profile;
        std::string error;
    };
    std::map<std::string, Entry> profiles_;
};

struct ImageSource {
    ConverterImageCallback fetch = nullptr;
    void* pageObject = nullptr;
};

class ImageCache {
public:
    explicit ImageCache(ImageLimits limits = {}) : limits_(limits) {}

    struct Request {
        std::string uri;
        const ColourProfile* profile = nullptr;  // the page's own profile for it, if any
        std::string profileKey;                  // names that profile in the cache key
    };
    // The image of page `page` (pages count from 1), decoded and converted;
    // null with *error. *approximation says what was approximated, empty
    // when nothing was.
    const DecodedImage* Image(const Request& request, const ImageSource& source, uint32_t page, std::string* error,
                              std::string* approximation);
    // Lets images go that no page after `finishedPage` has used, oldest
    // first, until the cache fits its budget again.
    void Trim(uint32_t finishedPage);

private:
    struct Entry {
        std::unique_ptr<DecodedImage> image;
        uint64_t bytes = 0;
        uint32_t lastPage = 0;
    };
    ImageLimits limits_;
    std::map<std::string, Entry> images_;
    uint64_t cachedBytes_ = 0;
    uint64_t imageCount_ = 0;
    uint32_t page_ = 0;
    uint64_t pageBytes_ = 0;
};

// The image callback's block through an allocator that knows each block's
// size; false with *error when the callback fails.
bool FetchImageBlock(const ImageSource& source, const std::string& uri, std::vector<uint8_t>* block,
                     std::string* error);

}  // namespace tav::render
