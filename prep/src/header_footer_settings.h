// HeaderFooterSettings: the line of date, time and identification printed
// at the top or bottom of each page, as the ticket describes it (the private
// PageHeaderFooter feature and PageHeaderFooterData). The filter's
// header/footer reader fills it; until then the defaults stand.
#pragma once

#include "filtercore/record_string.h"

// Date and time formats: Type1 to Type8 are 0 to 7.
inline constexpr INT kDateTimeFormatNone = 8;

// HeaderFooterSettings::idPrint.
enum IdPrint : INT {
    kIdPrintUserName = 0,
    kIdPrintCustom = 1,
    kIdPrintNone = 2,
};

struct HeaderFooterSettings {
    INT pageHeaderFooter = 0;  // 0 Off, 1 On
    INT dateFormat = kDateTimeFormatNone;
    INT timeFormat = kDateTimeFormatNone;
    INT idPrint = kIdPrintNone;
    INT positionX = 2;   // 0 Left, 1 Center, 2 Right
    INT positionY = 1;   // 0 Top, 1 Bottom
    INT background = 0;  // 0 Transparent, 1 Opaque
    RecordString dateStringFormat;
    RecordString dateDataFormat;
    RecordString timeStringFormat;
    RecordString timeDataFormat;
    INT fontItalicStyle = 0;
    INT fontBoldStyle = 0;
    INT fontUnderLine = 0;
    INT fontStruckOut = 0;
    INT fontSize = 11;  // points
    INT fontColor = 0;
    INT backgroudColor = 0xFFFFFF;
    RecordString idPrintCustomName;
    RecordString fontName{u"Arial"};
    BYTE fontCharSet = 1;

    bool operator==(const HeaderFooterSettings&) const = default;
};
