// WatermarkEntry: one watermark as the ticket describes it (the private
// PageWatermarkData holds three: every page, a first page of its own, the
// other pages). The filter's watermark reader fills it; until then the
// defaults stand.
#pragma once

#include "filtercore/record_string.h"

// WatermarkEntry::type.
enum WatermarkType : INT {
    kWatermarkText = 0,
    kWatermarkBitmap = 1,
    kWatermarkNone = 2,
};

struct WatermarkEntry {
    INT id = 0;  // carried; no output depends on it
    INT type = kWatermarkText;
    INT positionX = 0;  // -100 (left edge) to 100 (right edge), 0 the centre
    INT positionY = 0;  // -100 (bottom edge) to 100 (top edge), 0 the centre
    INT fontColor = 0xC0C0C0;
    INT fontSize = 72;  // points
    RecordString text;
    USHORT angle = 45;  // degrees, counter-clockwise
    RecordString fontName{u"Arial"};
    INT fontItalicStyle = 0;
    INT fontBoldStyle = 0;
    RecordString filename;  // the image of a bitmap watermark
    USHORT scaling = 100;   // bitmap size in percent
    INT subData = 0;        // low byte: the character set of the font
    BYTE bmpLightness = 0;  // carried; no output depends on it

    bool operator==(const WatermarkEntry&) const = default;
};
