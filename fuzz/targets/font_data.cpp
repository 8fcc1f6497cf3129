// Font data readers on one font file or collection: the preparation
// filter's reader (table directory, collection faces, full names, line
// metrics, the format 12 character map), the package reader's glyph count
// (plain and obfuscated parts, faces of collections) and the rendering
// converter's font cache (obfuscated parts, faces of collections,
// FreeType), which measures a few glyphs and makes the face cairo draws
// with. A face copied out of a
// collection must read as a font of its own.
#include <cstdlib>
#include <cstring>

#include "font_cache.h"
#include "font_data.h"
#include "fuzz_support.h"
#include "package/font_glyph_count.h"

namespace {

constexpr char16_t kFaceName[] = u"Fuzz Sans";
constexpr char kObfuscatedPart[] = "/Resources/Fonts/0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0.odttf";

class FontPartBytes final : public tav::host::PartContent {
public:
    FontPartBytes(const uint8_t* data, size_t size) : bytes_(reinterpret_cast<const char*>(data), size) {}
    std::unique_ptr<tav::host::ByteReader> Open() const override
    {
        return tav::host::ReadKeptBytes(shared_from_this(), bytes_);
    }
    std::optional<uint64_t> KnownSize() const override { return bytes_.size(); }

private:
    std::string bytes_;
};

void CountGlyphs(const uint8_t* data, size_t size)
{
    auto font = std::make_shared<FontPartBytes>(data, size);
    for (const std::optional<tav::host::FontKey>& key :
         {std::optional<tav::host::FontKey>(), tav::host::FontObfuscationKey(kObfuscatedPart)}) {
        for (uint32_t face : {0u, 1u}) {
            std::string fault;
            tav::host::FontGlyphCount(*font, key, face, &fault);
        }
    }
}

void ReadWithFontData(FontBytesView font)
{
    try {
        ReadLineMetrics(font);
        GlyphIndexFor(font, U'A');
        GlyphIndexFor(font, U'\U0001F600');
        if (!IsFontCollection(font)) {
            std::vector<FontTableEntry> directory = ReadTableDirectory(font, 0);
            FindTable(font, directory, FontTag("cmap"));
            HasFullName(font, directory, kFaceName);
            return;
        }
        std::vector<uint8_t> face = ExtractCollectionFace(font, kFaceName);
        try {
            ReadTableDirectory(face, 0);
        } catch (const FontDataError&) {
            __builtin_trap();  // the copy must be a font file
        }
        ReadLineMetrics(face);
    } catch (const FontDataError&) {
    }
}

struct Served {
    const uint8_t* data;
    size_t size;
};

BOOL ServeFont(ConverterAllocate allocate, ConverterFree, void* pageObject, const char*, uintptr_t, uintptr_t,
               void** block, uint32_t* size)
{
    const auto* served = static_cast<const Served*>(pageObject);
    *block = allocate(static_cast<uint32_t>(served->size));
    if (!*block) return FALSE;
    if (served->size) std::memcpy(*block, served->data, served->size);
    *size = static_cast<uint32_t>(served->size);
    return TRUE;
}

void ReadWithFontCache(const uint8_t* data, size_t size)
{
    Served served{data, size};
    tav::render::FontSource source{ServeFont, &served};
    tav::render::FontCache cache;
    for (const char* part : {"/Resources/Fonts/face.ttf", kObfuscatedPart}) {
        for (uint32_t index : {0u, 1u}) {
            std::string error;
            const tav::render::FontMetrics* font = cache.Font({part, index}, source, &error);
            if (!font) continue;
            for (char32_t c : {U'A', U' ', U'\u00e9', U'\U0001F600'}) {
                uint32_t glyph = font->GlyphFor(c);
                font->Advance(glyph);
                font->VerticalAdvance(glyph);
            }
            font->Ascent();
            cache.Face(font);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadWithFontData(FontBytesView(data, size));
    CountGlyphs(data, size);
    ReadWithFontCache(data, size);
    return 0;
}
