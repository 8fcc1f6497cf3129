#include "glyph_layout.h"

#include <charconv>

#include "number_scanner.h"
#include "utf.h"

namespace tav::render {

namespace {

std::string_view TrimSpace(std::string_view text)
{
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool ParseCount(std::string_view text, int* value)
{
    text = TrimSpace(text);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size() && *value >= 1 && *value <= 65535;
}

bool ParseOptionalNumber(std::string_view text, std::optional<double>* value)
{
    text = TrimSpace(text);
    if (text.empty()) return true;
    NumberScanner scanner(text);
    double number = 0;
    if (!scanner.Number(&number) || !scanner.AtEnd()) return false;
    *value = number;
    return true;
}

Parsed<GlyphMapping> ParseMapping(std::string_view text)
{
    GlyphMapping mapping;
    text = TrimSpace(text);
    if (text.starts_with("(")) {
        size_t close = text.find(')');
        if (close == std::string_view::npos) return Parsed<GlyphMapping>::Fail("a cluster mapping has no ')'");
        std::string_view inside = text.substr(1, close - 1);
        size_t colon = inside.find(':');
        if (!ParseCount(inside.substr(0, colon), &mapping.clusterCodeUnits) ||
            (colon != std::string_view::npos && !ParseCount(inside.substr(colon + 1), &mapping.clusterGlyphs)))
            return Parsed<GlyphMapping>::Fail("a cluster mapping is not (code units:glyphs)");
        mapping.startsCluster = true;
        text = text.substr(close + 1);
    }
    std::string_view fields[4];
    size_t count = 0;
    while (true) {
        size_t comma = text.find(',');
        if (count == 4) return Parsed<GlyphMapping>::Fail("an entry has more than four fields");
        fields[count++] = text.substr(0, comma);
        if (comma == std::string_view::npos) break;
        text = text.substr(comma + 1);
    }
    std::string_view index = TrimSpace(fields[0]);
    if (!index.empty()) {
        uint32_t value = 0;
        auto [end, error] = std::from_chars(index.data(), index.data() + index.size(), value);
        if (error != std::errc() || end != index.data() + index.size())
            return Parsed<GlyphMapping>::Fail("'" + std::string(index) + "' is not a glyph index");
        mapping.index = value;
    }
    if (!ParseOptionalNumber(fields[1], &mapping.advance) || !ParseOptionalNumber(fields[2], &mapping.uOffset) ||
        !ParseOptionalNumber(fields[3], &mapping.vOffset))
        return Parsed<GlyphMapping>::Fail("an advance or offset is not a number");
    return {mapping, {}};
}

}  // namespace

Parsed<std::vector<GlyphMapping>> ParseIndices(std::string_view text, size_t maxEntries)
{
    Parsed<std::vector<GlyphMapping>> result;
    if (TrimSpace(text).empty()) return result;
    size_t number = 0;
    while (true) {
        size_t semicolon = text.find(';');
        std::string_view entry = text.substr(0, semicolon);
        bool last = semicolon == std::string_view::npos;
        // A trailing ';' adds no entry.
        if (!(last && TrimSpace(entry).empty() && number > 0)) {
            ++number;
            if (number > maxEntries)
                return Parsed<std::vector<GlyphMapping>>::Fail("more than " + std::to_string(maxEntries) + " glyphs");
            Parsed<GlyphMapping> mapping = ParseMapping(entry);
            if (!mapping.ok())
                return Parsed<std::vector<GlyphMapping>>::Fail("Indices entry " + std::to_string(number) + ": " +
                                                               mapping.error);
            result.value.push_back(mapping.value);
        }
        if (last) break;
        text = text.substr(semicolon + 1);
    }
    return result;
}

std::u16string_view UnescapeUnicodeString(std::u16string_view value)
{
    if (value.starts_with(u"{}")) value.remove_prefix(2);
    return value;
}

Parsed<GlyphRunLayout> LayOutGlyphRun(const GlyphRunInput& input, const FontMetrics& metrics)
{
    using Result = Parsed<GlyphRunLayout>;
    GlyphRunLayout layout;
    const std::u16string& text = input.text;
    bool mappable = true;
    size_t unit = 0;  // next code unit of the text
    double pen = input.origin.x;
    double em = input.emSize;

    auto place = [&](uint32_t glyph, const GlyphMapping* mapping) {
        double advance = mapping && mapping->advance
                             ? *mapping->advance / 100 * em
                             : (input.sideways ? metrics.VerticalAdvance(glyph) : metrics.Advance(glyph)) * em;
        double u = mapping && mapping->uOffset ? *mapping->uOffset / 100 * em : 0;
        double v = mapping && mapping->vOffset ? *mapping->vOffset / 100 * em : 0;
        Point origin;
        if (input.rightToLeft) {
            origin = {pen - advance - u, input.origin.y - v};
            pen -= advance;
        } else {
            origin = {pen + u, input.origin.y - v};
            pen += advance;
        }
        if (input.sideways) {
            // Turned a quarter to the left about the glyph's top centre, which
            // sits on the baseline at the pen.
            origin.x += metrics.Ascent() * em;
            origin.y += metrics.Advance(glyph) * em / 2;
        }
        layout.glyphs.push_back({glyph, origin});
    };
    auto textBytes = [&](size_t from, size_t count) {
        return static_cast<int>(Utf16ToUtf8(std::u16string_view(text).substr(from, count)).size());
    };

    const std::vector<GlyphMapping>& mappings = input.mappings;
    for (size_t i = 0; i < mappings.size();) {
        const GlyphMapping& first = mappings[i];
        size_t units = static_cast<size_t>(first.clusterCodeUnits);
        size_t glyphs = static_cast<size_t>(first.clusterGlyphs);
        if (!first.startsCluster) {
            glyphs = 1;
            units = 1;
            if (unit < text.size()) CodePointAt(text, unit, &units);
        }
        if (i + glyphs > mappings.size())
            return Result::Fail("Indices entry " + std::to_string(i + 1) + " names more glyphs than follow");
        if (first.startsCluster && unit + units > text.size())
            return Result::Fail("Indices entry " + std::to_string(i + 1) +
                                " maps more characters than UnicodeString has");
        size_t available = unit < text.size() ? std::min(units, text.size() - unit) : 0;
        for (size_t g = 0; g < glyphs; ++g) {
            const GlyphMapping& mapping = mappings[i + g];
            if (g > 0 && mapping.startsCluster)
                return Result::Fail("Indices entry " + std::to_string(i + g + 1) + " starts a cluster inside another");
            uint32_t glyph = 0;
            if (mapping.index) {
                glyph = *mapping.index;
            } else if (available > 0 && glyphs == 1) {
                size_t ignored = 0;
                glyph = metrics.GlyphFor(CodePointAt(text, unit, &ignored));
            } else {
                return Result::Fail("Indices entry " + std::to_string(i + g + 1) +
                                    " has no glyph index and no character of its own");
            }
            place(glyph, &mapping);
        }
        if (available == 0) {
            mappable = false;
        } else {
            // A cluster that ends inside a surrogate pair cannot be mapped.
            if (unit + available < text.size() && text[unit + available] >= 0xDC00 && text[unit + available] <= 0xDFFF)
                mappable = false;
            layout.clusters.push_back({textBytes(unit, available), static_cast<int>(glyphs)});
        }
        unit += available;
        i += glyphs;
    }
    // Characters beyond the Indices get the font's own glyphs and advances.
    while (unit < text.size()) {
        size_t units = 1;
        char32_t c = CodePointAt(text, unit, &units);
        place(metrics.GlyphFor(c), nullptr);
        layout.clusters.push_back({textBytes(unit, units), 1});
        unit += units;
    }
    layout.utf8 = Utf16ToUtf8(text);
    if (!mappable || layout.utf8.empty()) layout.clusters.clear();
    return {std::move(layout), {}};
}

}  // namespace tav::render
