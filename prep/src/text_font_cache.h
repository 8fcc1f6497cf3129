// TextFontCache: the measured texts and the embedded faces of a job's text
// decorations, kept by the filter object. The decorations are built anew
// for every page, but their font and text are mostly the same on every
// page: what was measured or read for one page serves the pages after it,
// and the display context is made once.
//
// Both lists are short and bounded: a header/footer line may change from
// page to page (its time), so the oldest entry makes room for a new one.
// An entry is handed out shared, so that a decoration keeps what it was
// given while the cache moves on. A failure is not kept: the next page
// tries again.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "font_measurement.h"

class TextFontCache {
public:
    TextFontCache();
    ~TextFontCache();
    TextFontCache(const TextFontCache&) = delete;
    TextFontCache& operator=(const TextFontCache&) = delete;

    // MeasureText of the text in the font, made the first time the two come
    // together. Raises what MeasureText raises.
    std::shared_ptr<const TextMeasurement> Measure(const TextFont& font, std::u16string_view text);
    // ReadEmbeddedFont of the font, read the first time the font comes
    // (its bold and italic play no part: the regular face is embedded).
    // Raises what ReadEmbeddedFont raises.
    std::shared_ptr<const EmbeddedFont> Embedded(const TextFont& font);

    static constexpr size_t kMeasuredTexts = 8;
    static constexpr size_t kEmbeddedFaces = 4;

private:
    struct Measured {
        TextFont font;
        std::u16string text;
        std::shared_ptr<const TextMeasurement> measurement;
    };
    struct Embedding {
        TextFont font;
        std::shared_ptr<const EmbeddedFont> embedded;
    };

    DisplayFont& Display();

    std::unique_ptr<DisplayFont> display_;  // made at the first measuring or reading
    std::vector<Measured> measured_;        // the oldest first
    std::vector<Embedding> embedded_;       // the oldest first
};
