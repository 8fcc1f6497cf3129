#include "opc/page_schema/glyph_rules.h"

#include <charconv>

#include "opc/page_schema/value_syntax.h"

namespace tav::host::page_schema {
namespace {

bool ReadCount(std::string_view text, size_t* at, uint32_t* value)
{
    size_t start = *at;
    while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9') ++*at;
    if (*at == start) return false;
    auto [stop, error] = std::from_chars(text.data() + start, text.data() + *at, *value);
    return error == std::errc();
}

}  // namespace

const char* ReadIndices(std::string_view text, GlyphIndices* indices)
{
    *indices = GlyphIndices();
    size_t at = 0;
    uint32_t clusterGlyphsLeft = 0;  // entries still inside the current cluster
    for (;;) {
        SkipBlanks(text, &at);
        ++indices->glyphs;
        if (at < text.size() && text[at] == '(') {
            if (clusterGlyphsLeft > 0) return "starts a cluster inside another";
            ++at;
            SkipBlanks(text, &at);
            uint32_t characters = 0;
            uint32_t glyphs = 1;
            if (!ReadCount(text, &at, &characters) || characters == 0) return "has a malformed cluster mapping";
            SkipBlanks(text, &at);
            if (at < text.size() && text[at] == ':') {
                ++at;
                SkipBlanks(text, &at);
                if (!ReadCount(text, &at, &glyphs) || glyphs == 0) return "has a malformed cluster mapping";
                SkipBlanks(text, &at);
            }
            if (at >= text.size() || text[at] != ')') return "has a malformed cluster mapping";
            ++at;
            indices->clusterMap = true;
            indices->codeUnits += characters;
            clusterGlyphsLeft = glyphs;
            SkipBlanks(text, &at);
        } else if (clusterGlyphsLeft == 0) {
            indices->codeUnits += 1;
        }
        if (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            uint32_t index = 0;
            if (!ReadCount(text, &at, &index)) return "holds a glyph index out of range";
            if (!indices->maxGlyphIndex || index > *indices->maxGlyphIndex) indices->maxGlyphIndex = index;
            SkipBlanks(text, &at);
        }
        for (int field = 0; field < 3 && at < text.size() && text[at] == ','; ++field) {
            ++at;
            SkipBlanks(text, &at);
            if (at < text.size() && text[at] != ',' && text[at] != ';') {
                if (!ReadNumber(text, &at, nullptr)) return "holds a malformed advance or offset";
                SkipBlanks(text, &at);
            }
        }
        if (clusterGlyphsLeft > 0) --clusterGlyphsLeft;
        if (at == text.size()) break;
        if (text[at] != ';') return "is not a list of glyph entries separated by ';'";
        ++at;
    }
    if (clusterGlyphsLeft > 0) return "ends inside a cluster";
    return nullptr;
}

const char* UnescapeUnicodeString(std::string_view text, std::string_view* characters)
{
    if (!text.empty() && text[0] == '{') {
        if (text.size() < 2 || text[1] != '}') return "begins with '{' but not with the escape \"{}\"";
        text.remove_prefix(2);
    }
    *characters = text;
    return nullptr;
}

size_t Utf16Length(std::string_view utf8)
{
    size_t length = 0;
    for (char c : utf8) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++length;  // a character begins here
        if (byte >= 0xF0) ++length;           // beyond the BMP: a surrogate pair
    }
    return length;
}

const char* CheckGlyphsRules(const GlyphsAttributes& attributes, GlyphIndices* indices)
{
    *indices = GlyphIndices();
    std::string_view characters;
    if (attributes.unicodeString) {
        if (const char* fault = UnescapeUnicodeString(*attributes.unicodeString, &characters)) return fault;
    }
    bool hasIndices = attributes.indices && !attributes.indices->empty();
    if (hasIndices) {
        if (const char* fault = ReadIndices(*attributes.indices, indices)) return fault;
    }
    if (characters.empty() && !hasIndices) return "has neither a UnicodeString nor Indices";
    if (!characters.empty() && hasIndices) {
        size_t length = Utf16Length(characters);
        if (!indices->clusterMap && indices->glyphs > length) {
            return "has more Indices entries than UnicodeString characters but no cluster map";
        }
        if (indices->codeUnits > length) return "has a cluster map over more characters than UnicodeString holds";
    } else if (indices->clusterMap) {
        return "has a cluster map but no UnicodeString";
    }
    if (attributes.isSideways && *attributes.isSideways == "true" && attributes.bidiLevel) {
        long level = 0;
        std::string_view text = *attributes.bidiLevel;
        size_t first = text.find_first_not_of(" \t\r\n");
        if (first != std::string_view::npos) {
            text.remove_prefix(first);
            std::from_chars(text.data(), text.data() + text.size(), level);
        }
        if (level % 2 != 0) return "is sideways (IsSideways) in a right-to-left run (odd BidiLevel)";
    }
    return nullptr;
}

}  // namespace tav::host::page_schema
