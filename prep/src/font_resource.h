// FontResource: the font a text decoration draws with, as a part of the
// job. It has the decoration's text measured in the font the decoration
// asks for and the regular face of that font read to embed it, both from
// the job's TextFontCache, and writes the face as an obfuscated font part
// named by a GUID of its own. The face name is the key: a job embeds each
// face once, under the part name of the first page that needed it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "decoration_data.h"
#include "font_measurement.h"
#include "page_resource.h"
#include "platform/guid.h"
#include "text_font_cache.h"

// The font of the decoration's kind: the active watermark entry's, or the
// header/footer line's FontSettings.
TextFont TextFontFor(const DecorationData& data);

class FontResource final : public PageResource {
public:
    // Measures text and reads the font to embed, or takes them from the
    // cache when a page before asked for the same. Raises CXDException:
    // E_INVALIDARG when the data is neither a text watermark nor a printed
    // header/footer line, or its font has no usable name or size; E_FAIL,
    // with the reason noted, when the font's data is damaged; the failure of
    // the display context otherwise.
    FontResource(const DecorationData& data, std::u16string_view text, TextFontCache& fonts);

    HRESULT WriteContent(IUnknown* part, IPrintWriteStream* stream) override;
    HRESULT GetKey(BSTR* key) override;
    HRESULT GetPartUri(BSTR* uri) override;
    REFIID PartInterface() const override { return IID_IPartFont; }

    // The glyph of a character beyond the Basic Multilingual Plane in the
    // embedded face; nothing when the face has none for it.
    std::optional<uint32_t> GlyphIndexFor(char32_t codePoint) const;

    const TextMeasurement& Measurement() const { return *measured_; }
    const FontLineMetrics& LineMetrics() const { return embedded_->lines; }
    // The Glyphs attributes of the text: Fill "#RRGGBB", StyleSimulations
    // for the bold and italic the embedded regular face lacks, and the em
    // size in whole XPS units.
    std::u16string Fill() const;
    std::u16string_view Simulations() const;
    std::u16string EmSize() const;

private:
    TextFont font_;
    INT colour_;
    GUID partGuid_{};
    std::shared_ptr<const TextMeasurement> measured_;
    std::shared_ptr<const EmbeddedFont> embedded_;
};
