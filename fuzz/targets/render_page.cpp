// The rendering converter's page model and renderer on one page: the
// markup is read with libxml2's SAX parser and fed element by element as
// the rip filter feeds the converter (attributes last to first,
// "UnicodeString" as UTF-16, an element without children ended by an empty
// name); a page the model accepts is drawn with cairo onto a small image
// surface (at most 256 pixels a side, whatever the page size says), with
// every font served as one installed face.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <libxml/parser.h>

#include "cairo_renderer.h"
#include "font_cache.h"
#include "model_builder.h"

namespace {

using namespace tav::render;

constexpr char kServedFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr double kMaxSurfaceSide = 256;

const std::vector<char>& ServedFontBytes()
{
    static const std::vector<char> bytes = [] {
        std::ifstream file(kServedFont, std::ios::binary);
        std::vector<char> read((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (read.empty()) {
            std::fprintf(stderr, "fuzz: cannot read %s\n", kServedFont);
            std::abort();
        }
        return read;
    }();
    return bytes;
}

BOOL ServeFont(ConverterAllocate allocate, ConverterFree, void*, const char*, uintptr_t, uintptr_t, void** block,
               uint32_t* size)
{
    const std::vector<char>& bytes = ServedFontBytes();
    *block = allocate(static_cast<uint32_t>(bytes.size()));
    if (!*block) return FALSE;
    std::memcpy(*block, bytes.data(), bytes.size());
    *size = static_cast<uint32_t>(bytes.size());
    return TRUE;
}

class FuzzResources final : public PageResources, public CairoFonts {
public:
    const FontMetrics* Font(const FontReference& font, std::string* error) override
    {
        return cache_.Font(font, FontSource{ServeFont, nullptr}, error);
    }
    // Every image is the same small one, so that image brushes (tiles,
    // viewboxes, transforms) are drawn whatever part they name.
    const DecodedImage* Image(const std::string&, const std::string&, std::string*) override { return &image_; }
    bool ProfileColour(const std::string&, const std::vector<double>&, Rgba*) override { return false; }
    cairo_font_face_t* Face(const FontMetrics* font) override { return cache_.Face(font); }

private:
    FontCache cache_;
    DecodedImage image_{.width = 3,
                        .height = 2,
                        .pixels = std::vector<uint32_t>(6, PremultipliedPixel(200, 30, 30, 128)),
                        .opaque = false,
                        .id = 1};
};

struct Feed {
    ModelBuilder* builder;
    xmlParserCtxtPtr parser = nullptr;
    std::string currentElement;
    bool elementJustStarted = false;
    bool refused = false;

    void Refuse()
    {
        refused = true;
        xmlStopParser(parser);
    }
};

// libxml2 hands over well-formed UTF-8 only.
std::u16string Utf16(std::string_view utf8)
{
    std::u16string wide;
    for (size_t i = 0; i < utf8.size();) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? byte : byte & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < utf8.size(); ++k) c = c << 6 | (utf8[i + k] & 0x3F);
        i += length;
        if (c >= 0x10000) {
            wide.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(c));
        }
    }
    return wide;
}

std::string QualifiedName(const xmlChar* prefix, const xmlChar* localName)
{
    std::string name = reinterpret_cast<const char*>(localName);
    return prefix ? reinterpret_cast<const char*>(prefix) + (":" + name) : name;
}

void StartElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar*, int, const xmlChar**,
                  int attributeCount, int, const xmlChar** attributes)
{
    auto* feed = static_cast<Feed*>(context);
    if (feed->refused) return;
    feed->currentElement = QualifiedName(prefix, localName);
    feed->elementJustStarted = true;
    if (!feed->builder->StartElement(feed->currentElement)) return feed->Refuse();
    for (int i = attributeCount - 1; i >= 0; --i) {
        const xmlChar** attribute = attributes + 5 * i;
        std::string name = QualifiedName(attribute[1], attribute[0]);
        std::string_view value(reinterpret_cast<const char*>(attribute[3]), attribute[4] - attribute[3]);
        bool accepted = name == "UnicodeString" ? feed->builder->UnicodeStringAttribute(Utf16(value))
                                                : feed->builder->Attribute(name, value);
        if (!accepted) return feed->Refuse();
    }
}

void EndElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar*)
{
    auto* feed = static_cast<Feed*>(context);
    if (feed->refused) return;
    std::string name = QualifiedName(prefix, localName);
    bool empty = feed->elementJustStarted && name == feed->currentElement;
    feed->elementJustStarted = false;
    if (!feed->builder->EndElement(empty ? std::string_view() : std::string_view(name))) feed->Refuse();
}

void Draw(Page& page, FuzzResources& resources)
{
    double scale = kMaxSurfaceSide / std::max({page.width, page.height, 1.0});
    int width = std::clamp(static_cast<int>(page.width * scale), 1, static_cast<int>(kMaxSurfaceSide));
    int height = std::clamp(static_cast<int>(page.height * scale), 1, static_cast<int>(kMaxSurfaceSide));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    std::string error;
    RenderPage(page, cr, resources, RenderOptions{false}, &error);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzResources resources;
    ModelBuilder builder(&resources);
    Feed feed{&builder};
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = StartElement;
    handler.endElementNs = EndElement;
    feed.parser = xmlCreatePushParserCtxt(&handler, &feed, nullptr, 0, "page.fpage");
    if (!feed.parser) return 0;
    xmlCtxtUseOptions(feed.parser, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlParseChunk(feed.parser, reinterpret_cast<const char*>(data), static_cast<int>(size), 1);
    bool wellFormed = feed.parser->wellFormed != 0;
    xmlFreeParserCtxt(feed.parser);
    if (wellFormed && !feed.refused && builder.PageComplete()) Draw(builder.page(), resources);
    return 0;
}
