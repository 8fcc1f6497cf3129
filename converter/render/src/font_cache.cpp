#include "font_cache.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

namespace tav::render {

namespace {

constexpr uint32_t kMaxFontBytes = 64u << 20;
constexpr uint64_t kMaxJobFontBytes = 1ull << 30;

// One FreeType library for the process. Faces are made and freed under the
// lock, and this library stays loaded once it is in the process, because
// cairo may let go of a face after the job that made it has ended.
std::mutex& FreeTypeLock()
{
    static std::mutex lock;
    return lock;
}

FT_Library FreeTypeLibrary()
{
    static FT_Library library = [] {
        FT_Library made = nullptr;
        if (FT_Init_FreeType(&made) != 0) return static_cast<FT_Library>(nullptr);
        return made;
    }();
    return library;
}

// What a cairo face keeps alive: the FreeType face and the bytes under it.
struct FaceData {
    std::vector<uint8_t> bytes;
    FT_Face face = nullptr;
};

const cairo_user_data_key_t kFaceDataKey{};

void ReleaseFaceData(void* data)
{
    auto* faceData = static_cast<FaceData*>(data);
    {
        std::lock_guard<std::mutex> hold(FreeTypeLock());
        FT_Done_Face(faceData->face);
    }
    delete faceData;
}

void* AllocateBlock(uint32_t size) { return std::malloc(size == 0 ? 1 : size); }
void FreeBlock(void* block) { std::free(block); }

}  // namespace

class LoadedFont : public FontMetrics {
public:
    ~LoadedFont() override
    {
        if (face_) {
            std::lock_guard<std::mutex> hold(FreeTypeLock());
            FT_Done_Face(face_);
        }
        if (cairoFace_) cairo_font_face_destroy(cairoFace_);
    }

    // Takes the bytes; false with *error when FreeType cannot open the face.
    bool Open(std::vector<uint8_t> bytes, uint32_t faceIndex, std::string* error)
    {
        auto data = std::make_unique<FaceData>();
        data->bytes = std::move(bytes);
        FT_Library library = FreeTypeLibrary();
        if (!library) {
            *error = "FreeType could not start";
            return false;
        }
        FT_Error status;
        {
            std::lock_guard<std::mutex> hold(FreeTypeLock());
            status = FT_New_Memory_Face(library, data->bytes.data(), static_cast<FT_Long>(data->bytes.size()),
                                        static_cast<FT_Long>(faceIndex), &data->face);
        }
        if (status != 0) {
            *error = faceIndex > 0 ? "not a font, or it has no face " + std::to_string(faceIndex) : "not a font";
            return false;
        }
        if (!FT_IS_SCALABLE(data->face) || data->face->units_per_EM == 0) {
            ReleaseFaceData(data.release());
            *error = "not a scalable font";
            return false;
        }
        // The metrics come from a face of their own: cairo may draw glyphs
        // of its face on another thread (a recorded sheet played back) while
        // the next page's glyphs are measured.
        FT_Face metrics = nullptr;
        {
            std::lock_guard<std::mutex> hold(FreeTypeLock());
            status = FT_New_Memory_Face(library, data->bytes.data(), static_cast<FT_Long>(data->bytes.size()),
                                        static_cast<FT_Long>(faceIndex), &metrics);
        }
        if (status != 0) {
            ReleaseFaceData(data.release());
            *error = "the font could not be opened twice";
            return false;
        }
        face_ = metrics;  // freed by the destructor from here on
        cairo_font_face_t* plain = cairo_ft_font_face_create_for_ft_face(data->face, FT_LOAD_NO_HINTING);
        if (cairo_font_face_set_user_data(plain, &kFaceDataKey, data.get(), ReleaseFaceData) != CAIRO_STATUS_SUCCESS) {
            cairo_font_face_destroy(plain);
            {
                std::lock_guard<std::mutex> hold(FreeTypeLock());
                FT_Done_Face(face_);
            }
            face_ = nullptr;
            ReleaseFaceData(data.release());
            *error = "cairo could not take the font";
            return false;
        }
        data.release();
        cairoFace_ = plain;
        if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE) != 0 && FT_Select_Charmap(face_, FT_ENCODING_MS_SYMBOL) == 0)
            symbol_ = true;
        unitsPerEm_ = face_->units_per_EM;
        return true;
    }

    cairo_font_face_t* Face() { return face_ ? cairoFace_ : nullptr; }

    uint32_t GlyphFor(char32_t codePoint) const override
    {
        uint32_t glyph = FT_Get_Char_Index(face_, codePoint);
        // Symbol fonts map their characters from U+F000.
        if (glyph == 0 && symbol_ && codePoint < 0x100) glyph = FT_Get_Char_Index(face_, 0xF000 + codePoint);
        return glyph;
    }

    double Advance(uint32_t glyph) const override
    {
        FT_Fixed advance = 0;
        if (FT_Get_Advance(face_, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
        return static_cast<double>(advance) / unitsPerEm_;
    }

    double VerticalAdvance(uint32_t glyph) const override
    {
        if (FT_HAS_VERTICAL(face_)) {
            FT_Fixed advance = 0;
            if (FT_Get_Advance(face_, glyph, FT_LOAD_NO_SCALE | FT_LOAD_VERTICAL_LAYOUT, &advance) == 0)
                return static_cast<double>(advance) / unitsPerEm_;
        }
        return static_cast<double>(face_->ascender - face_->descender) / unitsPerEm_;
    }

    double Ascent() const override { return static_cast<double>(face_->ascender) / unitsPerEm_; }

    uint32_t GlyphCount() const override { return static_cast<uint32_t>(face_->num_glyphs); }

private:
    FT_Face face_ = nullptr;  // for metrics only, on the thread that builds pages
    bool symbol_ = false;
    double unitsPerEm_ = 1;
    cairo_font_face_t* cairoFace_ = nullptr;
};

bool FetchPart(const FontSource& source, const std::string& uri, std::vector<uint8_t>* bytes, std::string* error)
{
    if (!source.fetch) {
        *error = "no resource callback was given for the page";
        return false;
    }
    void* block = nullptr;
    uint32_t size = 0;
    if (!source.fetch(AllocateBlock, FreeBlock, source.pageObject, uri.c_str(), 0, 0, &block, &size) || !block) {
        if (block) FreeBlock(block);
        *error = "the part could not be had";
        return false;
    }
    if (size > kMaxFontBytes) {
        FreeBlock(block);
        *error = "larger than " + std::to_string(kMaxFontBytes >> 20) + " MiB";
        return false;
    }
    const auto* begin = static_cast<const uint8_t*>(block);
    bytes->assign(begin, begin + size);
    FreeBlock(block);
    return true;
}

FontCache::FontCache() = default;
FontCache::~FontCache() = default;

const FontMetrics* FontCache::Font(const FontReference& reference, const FontSource& source, std::string* error)
{
    std::string key = reference.part + "#" + std::to_string(reference.face);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second.get();
    std::vector<uint8_t> bytes;
    if (!FetchPart(source, reference.part, &bytes, error)) return nullptr;
    totalBytes_ += bytes.size();
    if (totalBytes_ > kMaxJobFontBytes) {
        *error = "the job's fonts take more than " + std::to_string(kMaxJobFontBytes >> 20) + " MiB";
        return nullptr;
    }
    if (LooksObfuscated(reference.part, bytes)) {
        Parsed<bool> undone = Deobfuscate(reference.part, &bytes);
        if (!undone.ok()) {
            *error = undone.error;
            return nullptr;
        }
    }
    auto font = std::make_unique<LoadedFont>();
    if (!font->Open(std::move(bytes), reference.face, error)) return nullptr;
    return fonts_.emplace(key, std::move(font)).first->second.get();
}

cairo_font_face_t* FontCache::Face(const FontMetrics* font)
{
    // Every font the model holds came from Font() above.
    return const_cast<LoadedFont*>(static_cast<const LoadedFont*>(font))->Face();
}

}  // namespace tav::render
