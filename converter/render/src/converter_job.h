// The job as the page library sees it. libpcorectl.so makes the job and
// hands its context to libpcoreconv.so, which is loaded for one page at a
// time; so everything that outlives a page (fonts, the output, the page
// count, the warnings already given) is made by the job's own code, behind
// this interface, and the page library calls it only through it.
#pragma once

#include <cstdint>
#include <string>

#include <cairo.h>

#include "cairo_renderer.h"
#include "model_builder.h"
#include "sheet_setup.h"

namespace tav::render {

class ConverterJob : public PageResources, public CairoFonts {
public:
    // The page's resource callbacks, before its first element.
    virtual void BeginPageFeed(void* pageObject, ConverterPartCallback font, ConverterPartCallback colourProfile,
                               ConverterImageCallback image) = 0;
    virtual void SetPageDevice(const PageDevice& device) = 0;
    virtual const PageDevice& CurrentPageDevice() const = 0;

    // The model of the page being fed, which the page library makes and
    // owns; null between pages.
    virtual ModelBuilder* PageBuilder() = 0;
    virtual void SetPageBuilder(ModelBuilder* builder) = 0;

    // A fresh sheet for a finished page, and its end.
    virtual cairo_t* BeginSheet(double pageWidth, double pageHeight, std::string* error) = 0;
    virtual bool EndSheet(cairo_t* cr, std::string* error) = 0;
    virtual bool KeepsText() const = 0;
    virtual bool Rasterizes() const = 0;

    // Writes the reason of a refusal (once) and returns 0, the refusal.
    virtual int32_t Refuse(const std::string& reason) = 0;
    virtual bool Refused() const = 0;
    // The number of the page being fed, from 1.
    virtual uint32_t PageNumber() const = 0;
};

// The converter context handle: the job, checked by a mark so that a stray
// handle is refused instead of followed.
struct ConverterContext {
    static constexpr uint32_t kMark = 0x54415643;  // "TAVC"
    uint32_t mark = kMark;
    ConverterJob* job = nullptr;
};

// The job of a context handle, or null.
inline ConverterJob* JobOfContext(ConverterHandle context)
{
    auto* found = reinterpret_cast<ConverterContext*>(context);
    return found && found->mark == ConverterContext::kMark ? found->job : nullptr;
}

}  // namespace tav::render
