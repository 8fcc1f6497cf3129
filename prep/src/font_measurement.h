// Measuring a text decoration's text and reading the font it embeds, on a
// display device context: the widths and metrics come out in XPS units.
//
// The text is measured with the font as the decoration asks for it (bold,
// italic); the font embedded is always the regular face of that name, which
// the markup then draws with style simulations. When the face lives in a
// font collection it is copied out of it.
//
// Failures of the device context raise CXDException with their HRESULT;
// damaged font data raises FontDataError saying what is wrong with it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "font_data.h"
#include "platform/gdi.h"

// The font a text decoration asks for.
struct TextFont {
    std::u16string faceName;
    INT pointSize = 0;
    bool bold = false;
    bool italic = false;
    BYTE charSet = DEFAULT_CHARSET;

    bool operator==(const TextFont&) const = default;
};

// The LOGFONTW of a font on a context of logPixelsY pixels per inch, with
// the weight and slant given. A face name that is empty or has 32
// characters or more raises CXDException(E_INVALIDARG).
LOGFONTW LogFontFor(const TextFont& font, bool bold, bool italic, int logPixelsY);

// A display context with at most one font of ours selected into it.
class DisplayFont {
public:
    DisplayFont();
    ~DisplayFont();
    DisplayFont(const DisplayFont&) = delete;
    DisplayFont& operator=(const DisplayFont&) = delete;

    // Selects the font, releasing the one selected before.
    void Select(const TextFont& font, bool bold, bool italic);
    // Selects back what the context held and deletes our font.
    void Release();
    HDC Dc() const { return dc_; }

private:
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ replaced_ = nullptr;
};

struct TextMeasurement {
    SIZE textSize{};             // of the whole text
    std::vector<LONG> advances;  // one per character (a surrogate pair is one)
    size_t glyphCount = 0;       // the number of characters
    TEXTMETRICW metrics{};
};

// Measures the text in the font as asked, bold and italic included.
TextMeasurement MeasureText(DisplayFont& display, const TextFont& font, std::u16string_view text);

struct EmbeddedFont {
    std::vector<uint8_t> bytes;
    FontLineMetrics lines;
};

// The regular face of the font's name as a font file of its own, and its
// underline and strikeout.
EmbeddedFont ReadEmbeddedFont(DisplayFont& display, const TextFont& font);
