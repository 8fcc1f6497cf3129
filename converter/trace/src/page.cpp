// libpcoreconv.so of the recording converter: records one page's resource
// callbacks, page-device values, elements and attributes, and fetches the
// fonts, colour profiles and images the page names. Loaded for each page and
// unloaded after it: everything it keeps is in the job (trace_job.h).
#include <zlib.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "image_record.h"
#include "resource_references.h"
#include "trace_job.h"
#include "trace_text.h"

using namespace tav::trace;

namespace {

// A UnicodeString is measured up to its terminator, within this bound.
constexpr size_t kMaxWideUnits = 1 << 24;

TraceJob* JobOf(ConverterHandle context) { return reinterpret_cast<TraceJob*>(context); }

// Every block carries its size in front of it: an image block comes without
// one, and its header is read only within what was allocated.
constexpr size_t kSizeRoom = alignof(std::max_align_t);

void* Allocate(uint32_t size)
{
    auto* room = static_cast<unsigned char*>(std::malloc(kSizeRoom + size));
    if (room == nullptr) return nullptr;
    std::memcpy(room, &size, sizeof size);
    return room + kSizeRoom;
}

void Release(void* block)
{
    if (block != nullptr) std::free(static_cast<unsigned char*>(block) - kSizeRoom);
}

uint32_t AllocatedSize(const void* block)
{
    uint32_t size = 0;
    std::memcpy(&size, static_cast<const unsigned char*>(block) - kSizeRoom, sizeof size);
    return size;
}

std::string Checksum(const void* block, uint32_t size)
{
    uLong crc = crc32(0L, static_cast<const Bytef*>(block), size);
    return "bytes " + std::to_string(size) + " crc32 " + Hex32(static_cast<uint32_t>(crc));
}

std::string PageUri(const TraceJob& job, const std::string& named)
{
    return job.dictionaryDepth >= 0 ? ResolveAgainst(job.dictionaryBase, named) : named;
}

// Refuses the call with a reason the filter can show.
int32_t Refuse(TraceJob& job, const std::string& reason)
{
    WriteRecord(job, kOutputRecordRefusalReason, reason);
    return 0;
}

// Fetches a font or colour profile once per page and records what came.
void Fetch(TraceJob& job, const char* kind, ConverterPartCallback callback, const std::string& named)
{
    std::string uri = PageUri(job, named);
    if (!job.fetched.insert(std::string(kind) + " " + uri).second) return;
    void* block = nullptr;
    uint32_t size = 0;
    if (callback == nullptr || callback(&Allocate, &Release, job.pageObject, uri.c_str(), 0, 0, &block, &size) == 0 ||
        block == nullptr) {
        AppendLine(job, std::string(kind) + " " + Quoted(uri) + " unavailable");
        std::string what = std::string_view(kind) == "font" ? "font" : "colour profile";
        WriteRecord(job, kOutputRecordWarning, "the " + what + " " + uri + " cannot be fetched");
        return;
    }
    AppendLine(job, std::string(kind) + " " + Quoted(uri) + " " + Checksum(block, size));
    Release(block);
}

// Fetches an image once per page and records its block. Why an image cannot
// be had is the filter's to tell the user: the converter learns only that
// it cannot.
void FetchImage(TraceJob& job, const std::string& named)
{
    std::string uri = PageUri(job, named);
    if (!job.fetched.insert("image " + uri).second) return;
    void* block = nullptr;
    if (job.image == nullptr || job.image(&Allocate, &Release, job.pageObject, uri.c_str(), 0, 0, &block) == 0 ||
        block == nullptr) {
        AppendLine(job, "image " + Quoted(uri) + " unavailable");
        return;
    }
    uint32_t size = AllocatedSize(block);
    AppendLine(job, "image " + Quoted(uri) + " " + Checksum(block, size) + " " +
                        DescribeImageBlock(static_cast<const uint8_t*>(block), size));
    Release(block);
}

void FetchReferences(TraceJob& job, std::string_view name, std::string_view value)
{
    if (name == "FontUri") Fetch(job, "font", job.font, std::string(value));
    if (std::optional<std::string> profile = ContextColorProfile(value))
        Fetch(job, "colour-profile", job.colourProfile, *profile);
    if (name == "ImageSource") {
        if (std::optional<std::string> image = ImageSourceImage(value)) FetchImage(job, *image);
        if (std::optional<std::string> profile = ConvertedBitmapProfile(value))
            Fetch(job, "colour-profile", job.colourProfile, *profile);
    }
}

// What follows the end of an element: a dictionary's own names are
// relative to it until it ends, and the end of the page ends its section.
void AfterEnd(TraceJob& job, const std::string& name)
{
    --job.depth;
    if (job.dictionaryDepth >= 0 && job.depth < job.dictionaryDepth) job.dictionaryDepth = -1;
    if (name == "ResourceDictionary" && !job.pendingSource.empty() && job.dictionaryDepth < 0) {
        job.pendingDepth = job.depth;
    }
    if (job.depth == 0) {
        ++job.pagesEnded;
        AppendLine(job, "page-end " + std::to_string(job.pages) + " elements " + std::to_string(job.elements) +
                            " attributes " + std::to_string(job.attributes));
        Flush(job);
        EndSecondPassPage(job);
    }
}

template <class Body>
int32_t Guarded(ConverterHandle context, Body body)
{
    if (context == 0) return 0;
    try {
        return body(*JobOf(context));
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace

#define TRACE_EXPORT extern "C" __attribute__((visibility("default")))

TRACE_EXPORT void XpsSetConvResAPI(ConverterHandle context, void* pageObject, ConverterPartCallback font,
                                   ConverterPartCallback colourProfile, ConverterImageCallback image, uintptr_t,
                                   uintptr_t)
{
    Guarded(context, [&](TraceJob& job) {
        job.pageObject = pageObject;
        job.font = font;
        job.colourProfile = colourProfile;
        job.image = image;
        std::string given;
        if (font != nullptr) given += " font";
        if (colourProfile != nullptr) given += " colour-profile";
        if (image != nullptr) given += " image";
        AppendLine(job, "callbacks" + (given.empty() ? std::string(" none") : given));
        return 1;
    });
}

TRACE_EXPORT void XpsSetPageDevice(ConverterHandle context, BYTE one, int32_t one2, int32_t width, int32_t height,
                                   int32_t zero1, int32_t zero2, int32_t width2, int32_t height2, int32_t resolutionX,
                                   int32_t resolutionY, int32_t rotationCode, int32_t zero3, int32_t four,
                                   int32_t hundred, int32_t height3, int32_t height4, int32_t planesCode,
                                   int32_t planes, int32_t bitsPerPixel)
{
    Guarded(context, [&](TraceJob& job) {
        std::string line = "page-device " + std::to_string(one);
        for (int32_t value : {one2, width, height, zero1, zero2, width2, height2, resolutionX, resolutionY,
                              rotationCode, zero3, four, hundred, height3, height4, planesCode, planes, bitsPerPixel})
            line += " " + std::to_string(value);
        AppendLine(job, line);
        return 1;
    });
}

TRACE_EXPORT int32_t XPSStartElem(const char* name, ConverterHandle context)
{
    return Guarded(context, [&](TraceJob& job) {
        if (name == nullptr) return Refuse(job, "page " + std::to_string(job.pages) + ": an element without a name");
        if (FAILED(job.writeResult))
            return Refuse(job, "page " + std::to_string(job.pages) + ": the printer stream cannot be written");
        if (job.depth == 0 && job.pages == job.refusePage) {
            job.pageRefused = true;
            return Refuse(job, "page " + std::to_string(job.pages) + " refused, as TAV_TRACE_REFUSE_PAGE asks");
        }
        // A dictionary fed right after the element that names it.
        if (job.pendingDepth >= 0 && job.depth == job.pendingDepth && std::string_view(name) == "ResourceDictionary") {
            job.dictionaryBase = job.pendingSource;
            job.dictionaryDepth = job.depth + 1;
        }
        job.pendingDepth = -1;
        job.pendingSource.clear();
        ++job.depth;
        ++job.elements;
        job.currentElement = name;
        AppendLine(job, "start " + job.currentElement);
        return 1;
    });
}

TRACE_EXPORT int32_t XPSReadAtt(const char* name, const void* value, ConverterHandle context)
{
    return Guarded(context, [&](TraceJob& job) {
        if (name == nullptr || value == nullptr)
            return Refuse(job, "page " + std::to_string(job.pages) + ": an attribute without a name or value");
        std::string_view attribute(name);
        ++job.attributes;
        if (attribute == "UnicodeString") {
            AppendLine(job, "attribute-wide " + std::string(attribute) + " " +
                                Quoted(WideToUtf8(static_cast<const WCHAR*>(value), kMaxWideUnits)));
            return 1;
        }
        std::string_view text(static_cast<const char*>(value));
        AppendLine(job, "attribute " + std::string(attribute) + " " + Quoted(text));
        if (job.currentElement == "ResourceDictionary" && attribute == "Source") job.pendingSource = text;
        FetchReferences(job, attribute, text);
        return 1;
    });
}

TRACE_EXPORT int32_t XPSEndCurElem(ConverterHandle context)
{
    return Guarded(context, [&](TraceJob& job) {
        if (job.depth == 0) return Refuse(job, "page " + std::to_string(job.pages) + ": an end without a start");
        AppendLine(job, "end-current");
        AfterEnd(job, job.currentElement);
        return 1;
    });
}

TRACE_EXPORT int32_t XPSEndElem(const char* name, ConverterHandle context)
{
    return Guarded(context, [&](TraceJob& job) {
        if (name == nullptr || job.depth == 0)
            return Refuse(job, "page " + std::to_string(job.pages) + ": an end without a start");
        std::string element(name);
        AppendLine(job, "end " + element);
        AfterEnd(job, element);
        return 1;
    });
}
