// One face at one pixel size, measured by FreeType in pixels of the 96 dpi
// display: character advances, text metrics and the face's sfnt tables.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "font_files.h"
#include "platform/gdi.h"

namespace tav::text {

class ScaledFont {
public:
    // The face of the font as logfont asks for it; null when no face can
    // be found or read, with the Win32 error in *error.
    static std::unique_ptr<ScaledFont> Create(const LOGFONTW& logfont, DWORD* error);
    ~ScaledFont();
    ScaledFont(const ScaledFont&) = delete;
    ScaledFont& operator=(const ScaledFont&) = delete;

    // The advance of a Unicode code point, in whole pixels; a character the
    // face lacks measures as its missing-glyph shape.
    LONG Advance(char32_t codePoint) const;
    const TEXTMETRICW& Metrics() const { return metrics_; }
    // The face's family name as UTF-16.
    const std::u16string& FamilyName() const { return familyName_; }
    // The data GetFontData reads for a table argument: the whole file for 0
    // or, in a collection, for "ttcf"; otherwise the face's table. False
    // when there is no such data. Tables are read once and kept.
    bool TableData(DWORD table, const BYTE** data, size_t* length);

private:
    struct Face;
    ScaledFont(std::unique_ptr<Face> face, FontBytes bytes, double emPixels);
    void ReadMetrics(const LOGFONTW& logfont);

    std::unique_ptr<Face> face_;
    FontBytes bytes_;
    double emPixels_;
    TEXTMETRICW metrics_{};
    std::u16string familyName_;
    std::map<DWORD, std::vector<BYTE>> tables_;
};

}  // namespace tav::text
