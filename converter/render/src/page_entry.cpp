// The entry points of libpcoreconv.so: one page's element and attribute
// calls, built into a page model and drawn when the FixedPage ends. This
// library is loaded for one page at a time; what it makes lives no longer
// than the page, and everything else it asks of the job.
#include <memory>
#include <string>
#include <type_traits>

#include "converter/converter_interface.h"
#include "converter_job.h"

#define TAV_EXPORT extern "C" __attribute__((visibility("default")))

using tav::render::ConverterJob;
using tav::render::JobOfContext;
using tav::render::ModelBuilder;

// The job may free a page model this library made after the library is
// gone: the model must hold no code pointers.
static_assert(!std::is_polymorphic_v<ModelBuilder>, "the page model carries no code pointers");

namespace {

// Attribute values longer than this are refused by the model anyway; a
// UTF-16 value is never read further.
constexpr size_t kMaxWideCharacters = 8u << 20;

void DropPage(ConverterJob* job)
{
    delete job->PageBuilder();
    job->SetPageBuilder(nullptr);
}

int32_t RefuseWith(ConverterJob* job, std::string reason)
{
    // The reason may be the builder's own message: it is copied before the
    // builder goes.
    DropPage(job);
    return job->Refuse(reason);
}

// The page's builder, or null when the page cannot go on (a refusal then
// stands already or is written now).
ModelBuilder* Builder(ConverterJob* job)
{
    if (!job || job->Refused()) return nullptr;
    if (!job->PageBuilder()) {
        RefuseWith(job, "an element came before the page began");
        return nullptr;
    }
    return job->PageBuilder();
}

int32_t DrawPage(ConverterJob* job)
{
    ModelBuilder* builder = job->PageBuilder();
    tav::render::Page& page = builder->page();
    std::string error;
    cairo_t* cr = job->BeginSheet(page.width, page.height, &error);
    if (!cr) return RefuseWith(job, "FixedPage: " + error);
    tav::render::RenderOptions options;
    options.keepText = job->KeepsText();
    options.raster = job->Rasterizes();
    bool drawn = tav::render::RenderPage(page, cr, *job, options, &error);
    std::string endError;
    bool ended = job->EndSheet(cr, &endError);
    if (!drawn) return RefuseWith(job, "FixedPage: " + error);
    if (!ended) return RefuseWith(job, "FixedPage: " + endError);
    DropPage(job);
    return 1;
}

int32_t Continue(ConverterJob* job, bool accepted)
{
    if (!accepted) return RefuseWith(job, job->PageBuilder()->Error());
    if (job->PageBuilder()->PageComplete()) return DrawPage(job);
    return 1;
}

}  // namespace

TAV_EXPORT void XpsSetConvResAPI(ConverterHandle context, void* pageObject, ConverterPartCallback font,
                                 ConverterPartCallback colourProfile, ConverterImageCallback image, uintptr_t reserved1,
                                 uintptr_t reserved2)
{
    ConverterJob* job = JobOfContext(context);
    if (!job) return;
    DropPage(job);
    job->BeginPageFeed(pageObject, font, colourProfile, image);
    job->SetPageBuilder(new ModelBuilder(job));
}

TAV_EXPORT void XpsSetPageDevice(ConverterHandle context, BYTE one, int32_t one2, int32_t width, int32_t height,
                                 int32_t zero1, int32_t zero2, int32_t width2, int32_t height2, int32_t resolutionX,
                                 int32_t resolutionY, int32_t rotationCode, int32_t zero3, int32_t four,
                                 int32_t hundred, int32_t height3, int32_t height4, int32_t planesCode, int32_t planes,
                                 int32_t bitsPerPixel)
{
    ConverterJob* job = JobOfContext(context);
    if (!job) return;
    tav::render::PageDevice device;
    device.known = true;
    device.widthMicrons = width;
    device.heightMicrons = height;
    device.resolutionX = resolutionX;
    device.resolutionY = resolutionY;
    device.rotationCode = rotationCode;
    device.planes = planes;
    device.bitsPerPixel = bitsPerPixel;
    job->SetPageDevice(device);
}

TAV_EXPORT int32_t XPSStartElem(const char* name, ConverterHandle context)
{
    ConverterJob* job = JobOfContext(context);
    ModelBuilder* builder = Builder(job);
    if (!builder) return 0;
    if (!name) return RefuseWith(job, "an element without a name");
    return Continue(job, builder->StartElement(name));
}

TAV_EXPORT int32_t XPSReadAtt(const char* name, const void* value, ConverterHandle context)
{
    ConverterJob* job = JobOfContext(context);
    ModelBuilder* builder = Builder(job);
    if (!builder) return 0;
    if (!name || !value) return RefuseWith(job, "an attribute without a name or value");
    if (std::string_view(name) == "UnicodeString") {
        const auto* wide = static_cast<const WCHAR*>(value);
        size_t length = 0;
        while (length <= kMaxWideCharacters && wide[length] != 0) ++length;
        return Continue(job, builder->UnicodeStringAttribute(std::u16string_view(wide, length)));
    }
    return Continue(job, builder->Attribute(name, static_cast<const char*>(value)));
}

TAV_EXPORT int32_t XPSEndCurElem(ConverterHandle context)
{
    ConverterJob* job = JobOfContext(context);
    ModelBuilder* builder = Builder(job);
    if (!builder) return 0;
    return Continue(job, builder->EndElement({}));
}

TAV_EXPORT int32_t XPSEndElem(const char* name, ConverterHandle context)
{
    ConverterJob* job = JobOfContext(context);
    ModelBuilder* builder = Builder(job);
    if (!builder) return 0;
    if (!name) return RefuseWith(job, "an element end without a name");
    return Continue(job, builder->EndElement(name));
}
