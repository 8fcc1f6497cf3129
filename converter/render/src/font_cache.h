// The fonts of a job: fetched once through the font callback, deobfuscated
// when the part is an obfuscated font, opened with FreeType (the face a
// FontUri fragment names, for collections) and kept for the pages after.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <cairo.h>

#include "converter/converter_interface.h"
#include "font_part.h"
#include "glyph_layout.h"

namespace tav::render {

class LoadedFont;

// Where the cache gets a part's bytes: the callback of the page being fed.
struct FontSource {
    ConverterPartCallback fetch = nullptr;
    void* pageObject = nullptr;
};

class FontCache {
public:
    FontCache();
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // Null with *error when the part cannot be fetched or is not a font.
    const FontMetrics* Font(const FontReference& reference, const FontSource& source, std::string* error);
    // The cairo face of a font this cache returned.
    cairo_font_face_t* Face(const FontMetrics* font);

private:
    std::map<std::string, std::unique_ptr<LoadedFont>> fonts_;
    uint64_t totalBytes_ = 0;
};

// The bytes a part callback hands back, copied out of its block.
bool FetchPart(const FontSource& source, const std::string& uri, std::vector<uint8_t>* bytes, std::string* error);

}  // namespace tav::render
