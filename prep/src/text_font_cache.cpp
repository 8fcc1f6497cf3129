#include "text_font_cache.h"

#include <algorithm>

namespace {

// Appends the entry, first dropping the oldest when the list is full.
template <typename Entry>
void KeepNewest(std::vector<Entry>& entries, size_t limit, Entry entry)
{
    if (entries.size() >= limit) entries.erase(entries.begin());
    entries.push_back(std::move(entry));
}

}  // namespace

TextFontCache::TextFontCache() = default;

TextFontCache::~TextFontCache() = default;

DisplayFont& TextFontCache::Display()
{
    if (!display_) display_ = std::make_unique<DisplayFont>();
    return *display_;
}

std::shared_ptr<const TextMeasurement> TextFontCache::Measure(const TextFont& font, std::u16string_view text)
{
    auto known = std::find_if(measured_.begin(), measured_.end(),
                              [&](const Measured& entry) { return entry.font == font && entry.text == text; });
    if (known != measured_.end()) return known->measurement;
    auto measurement = std::make_shared<const TextMeasurement>(MeasureText(Display(), font, text));
    KeepNewest(measured_, kMeasuredTexts, Measured{font, std::u16string(text), measurement});
    return measurement;
}

std::shared_ptr<const EmbeddedFont> TextFontCache::Embedded(const TextFont& font)
{
    TextFont regular = font;
    regular.bold = false;
    regular.italic = false;
    auto known =
        std::find_if(embedded_.begin(), embedded_.end(), [&](const Embedding& entry) { return entry.font == regular; });
    if (known != embedded_.end()) return known->embedded;
    auto embedded = std::make_shared<const EmbeddedFont>(ReadEmbeddedFont(Display(), regular));
    KeepNewest(embedded_, kEmbeddedFaces, Embedding{regular, embedded});
    return embedded;
}
