// Draws a page model onto a cairo context. It knows the model's nodes,
// geometries, brushes and glyph runs, and nothing of the markup they came
// from; the output language is whatever surface the context draws on.
#pragma once

#include <string>

#include <cairo.h>

#include "page_model.h"

namespace tav::render {

// The cairo face of a font the model refers to.
class CairoFonts {
public:
    virtual ~CairoFonts() = default;
    // Null when the face cannot be made.
    virtual cairo_font_face_t* Face(const FontMetrics* font) = 0;
};

struct RenderOptions {
    // Give each glyph run its text and cluster map, for surfaces that keep
    // text (PDF).
    bool keepText = true;
    // The page is drawn for a raster, though perhaps through a recording
    // surface first: images are drawn from the cache's own pixels and tiles
    // are made at the sheet's resolution.
    bool raster = false;
};

// Draws the page in the context's current user space, which must map page
// units (1/96 inch) to the surface. False with *error when cairo failed.
bool RenderPage(const Page& page, cairo_t* cr, CairoFonts& fonts, const RenderOptions& options, std::string* error);

}  // namespace tav::render
