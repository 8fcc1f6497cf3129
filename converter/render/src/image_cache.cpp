#include "image_cache.h"

#include <cstdlib>
#include <cstring>

#include "image_block_reader.h"

namespace tav::render {

namespace {

// Blocks the callback makes carry their size in front of them, so that a
// header can be checked against the bytes really there.
constexpr size_t kSizePrefix = 16;

void* AllocateSized(uint32_t size)
{
    auto* made = static_cast<unsigned char*>(std::malloc(kSizePrefix + size));
    if (!made) return nullptr;
    std::memcpy(made, &size, sizeof size);
    return made + kSizePrefix;
}

void FreeSized(void* block)
{
    if (block) std::free(static_cast<unsigned char*>(block) - kSizePrefix);
}

uint32_t SizeOfBlock(const void* block)
{
    uint32_t size = 0;
    std::memcpy(&size, static_cast<const unsigned char*>(block) - kSizePrefix, sizeof size);
    return size;
}

}  // namespace

const ColourProfile* ProfileCache::Profile(const std::string& uri, const FontSource& source, std::string* error)
{
    auto found = profiles_.find(uri);
    if (found == profiles_.end()) {
        Entry entry;
        std::vector<uint8_t> bytes;
        if (FetchPart(source, uri, &bytes, &entry.error))
            entry.profile = ColourProfile::Open(bytes.data(), bytes.size(), &entry.error);
        found = profiles_.emplace(uri, std::move(entry)).first;
    }
    if (!found->second.profile) *error = found->second.error;
    return found->second.profile.get();
}

bool FetchImageBlock(const ImageSource& source, const std::string& uri, std::vector<uint8_t>* block, std::string* error)
{
    if (!source.fetch) {
        *error = "no image callback was given for the page";
        return false;
    }
    void* made = nullptr;
    if (!source.fetch(AllocateSized, FreeSized, source.pageObject, uri.c_str(), 0, 0, &made) || !made) {
        FreeSized(made);
        *error = "the image callback could not deliver it (a missing part, or an image that cannot be decoded)";
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(made);
    block->assign(bytes, bytes + SizeOfBlock(made));
    FreeSized(made);
    return true;
}

const DecodedImage* ImageCache::Image(const Request& request, const ImageSource& source, uint32_t page,
                                      std::string* error, std::string* approximation)
{
    if (page != page_) {
        page_ = page;
        pageBytes_ = 0;
    }
    std::string key = request.uri + "\n" + request.profileKey;
    auto found = images_.find(key);
    if (found != images_.end()) {
        if (found->second.lastPage != page) pageBytes_ += found->second.bytes;
        found->second.lastPage = page;
        if (pageBytes_ > limits_.maxPageBytes) {
            *error = "the page's images take more than " + std::to_string(limits_.maxPageBytes >> 20) + " MiB";
            return nullptr;
        }
        return found->second.image.get();
    }
    std::vector<uint8_t> block;
    if (!FetchImageBlock(source, request.uri, &block, error)) return nullptr;
    Parsed<ImageBlockView> view = ReadImageBlock(block.data(), block.size());
    if (!view.ok()) {
        *error = view.error;
        return nullptr;
    }
    const ImageBlockView& header = view.value;
    if (header.width > limits_.maxSide || header.height > limits_.maxSide ||
        uint64_t{header.width} * header.height > limits_.maxPixels) {
        *error = "the image is " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                 " pixels; this converter draws images of at most " + std::to_string(limits_.maxSide) +
                 " pixels a side and " + std::to_string(limits_.maxPixels) + " in all";
        return nullptr;
    }
    uint64_t bytes = uint64_t{header.width} * header.height * 4;
    if (pageBytes_ + bytes > limits_.maxPageBytes) {
        *error = "the page's images take more than " + std::to_string(limits_.maxPageBytes >> 20) + " MiB";
        return nullptr;
    }
    Parsed<ImageConversion> converted = ConvertImageBlock(header, request.profile);
    if (!converted.ok()) {
        *error = converted.error;
        return nullptr;
    }
    if (converted.value.approximated) *approximation = converted.value.why;
    pageBytes_ += bytes;
    cachedBytes_ += bytes;
    converted.value.image.id = ++imageCount_;
    Entry entry{std::make_unique<DecodedImage>(std::move(converted.value.image)), bytes, page};
    return images_.emplace(key, std::move(entry)).first->second.image.get();
}

void ImageCache::Trim(uint32_t finishedPage)
{
    while (cachedBytes_ > limits_.maxCachedBytes) {
        auto oldest = images_.end();
        for (auto it = images_.begin(); it != images_.end(); ++it)
            if (it->second.lastPage <= finishedPage &&
                (oldest == images_.end() || it->second.lastPage < oldest->second.lastPage))
                oldest = it;
        if (oldest == images_.end()) return;
        cachedBytes_ -= oldest->second.bytes;
        images_.erase(oldest);
    }
}

}  // namespace tav::render
