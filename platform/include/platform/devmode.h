// DEVMODEW: a printer's settings in the fixed binary layout that device
// converters read. Only the printer members of the layout are named; the
// display members that share their storage are not used on this platform.
#pragma once

#include <cstddef>

#include "platform/types.h"

constexpr int CCHDEVICENAME = 32;
constexpr int CCHFORMNAME = 32;
constexpr WORD DM_SPECVERSION = 0x0401;

struct DEVMODEW {
    WCHAR dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;          // sizeof(DEVMODEW)
    WORD dmDriverExtra;   // bytes of driver data after the structure
    DWORD dmFields;       // DM_* flags of the members that are set
    SHORT dmOrientation;  // DMORIENT_*
    SHORT dmPaperSize;    // DMPAPER_*, 0 when dmPaperLength and dmPaperWidth give the size
    SHORT dmPaperLength;  // tenths of a millimetre
    SHORT dmPaperWidth;   // tenths of a millimetre
    SHORT dmScale;        // percent
    SHORT dmCopies;
    SHORT dmDefaultSource;  // DMBIN_*
    SHORT dmPrintQuality;   // dots per inch across, or a DMRES_* value
    SHORT dmColor;          // DMCOLOR_*
    SHORT dmDuplex;         // DMDUP_*
    SHORT dmYResolution;    // dots per inch down
    SHORT dmTTOption;       // DMTT_*
    SHORT dmCollate;        // DMCOLLATE_*
    WCHAR dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmNup;  // DMNUP_*
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};

static_assert(sizeof(DEVMODEW) == 220, "DEVMODEW keeps its public size");
static_assert(offsetof(DEVMODEW, dmFields) == 72 && offsetof(DEVMODEW, dmOrientation) == 76 &&
                  offsetof(DEVMODEW, dmColor) == 92 && offsetof(DEVMODEW, dmFormName) == 102 &&
                  offsetof(DEVMODEW, dmBitsPerPel) == 168,
              "DEVMODEW keeps its public layout");

// The driver's own settings, which DEVMODEW has no member for, in the
// dmDriverExtra bytes right after it, little-endian.
struct DEVMODE_DRIVER_EXTRA {
    DWORD signature;   // kDevModeExtraSignature
    DWORD duplexMode;  // kDevModeDuplexMode*: how a two-sided job is printed
};
constexpr DWORD kDevModeExtraSignature = 0x44564154;  // "TAVD"
constexpr DWORD kDevModeDuplexModeNone = 0;           // the ticket does not say
constexpr DWORD kDevModeDuplexModeAutomatic = 1;      // the printer turns the sheet
constexpr DWORD kDevModeDuplexModeManual = 2;         // the user turns the paper for a second pass

// A DEVMODEW and the driver's settings behind it, as the platform's
// PrintTicket provider makes it.
struct DEVMODE_WITH_EXTRA {
    DEVMODEW publicPart;
    DEVMODE_DRIVER_EXTRA extra;
};
static_assert(offsetof(DEVMODE_WITH_EXTRA, extra) == sizeof(DEVMODEW), "the driver's settings follow DEVMODEW");

// dmFields
constexpr DWORD DM_ORIENTATION = 0x00000001;
constexpr DWORD DM_PAPERSIZE = 0x00000002;
constexpr DWORD DM_PAPERLENGTH = 0x00000004;
constexpr DWORD DM_PAPERWIDTH = 0x00000008;
constexpr DWORD DM_SCALE = 0x00000010;
constexpr DWORD DM_POSITION = 0x00000020;
constexpr DWORD DM_NUP = 0x00000040;
constexpr DWORD DM_DISPLAYORIENTATION = 0x00000080;
constexpr DWORD DM_COPIES = 0x00000100;
constexpr DWORD DM_DEFAULTSOURCE = 0x00000200;
constexpr DWORD DM_PRINTQUALITY = 0x00000400;
constexpr DWORD DM_COLOR = 0x00000800;
constexpr DWORD DM_DUPLEX = 0x00001000;
constexpr DWORD DM_YRESOLUTION = 0x00002000;
constexpr DWORD DM_TTOPTION = 0x00004000;
constexpr DWORD DM_COLLATE = 0x00008000;
constexpr DWORD DM_FORMNAME = 0x00010000;
constexpr DWORD DM_LOGPIXELS = 0x00020000;
constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFLAGS = 0x00200000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;
constexpr DWORD DM_ICMMETHOD = 0x00800000;
constexpr DWORD DM_ICMINTENT = 0x01000000;
constexpr DWORD DM_MEDIATYPE = 0x02000000;
constexpr DWORD DM_DITHERTYPE = 0x04000000;
constexpr DWORD DM_PANNINGWIDTH = 0x08000000;
constexpr DWORD DM_PANNINGHEIGHT = 0x10000000;
constexpr DWORD DM_DISPLAYFIXEDOUTPUT = 0x20000000;

// dmOrientation
constexpr SHORT DMORIENT_PORTRAIT = 1;
constexpr SHORT DMORIENT_LANDSCAPE = 2;

// dmPaperSize
constexpr SHORT DMPAPER_LETTER = 1;  // 8.5 x 11 in
constexpr SHORT DMPAPER_LETTERSMALL = 2;
constexpr SHORT DMPAPER_TABLOID = 3;    // 11 x 17 in
constexpr SHORT DMPAPER_LEDGER = 4;     // 17 x 11 in
constexpr SHORT DMPAPER_LEGAL = 5;      // 8.5 x 14 in
constexpr SHORT DMPAPER_STATEMENT = 6;  // 5.5 x 8.5 in
constexpr SHORT DMPAPER_EXECUTIVE = 7;  // 7.25 x 10.5 in
constexpr SHORT DMPAPER_A3 = 8;         // 297 x 420 mm
constexpr SHORT DMPAPER_A4 = 9;         // 210 x 297 mm
constexpr SHORT DMPAPER_A4SMALL = 10;
constexpr SHORT DMPAPER_A5 = 11;           // 148 x 210 mm
constexpr SHORT DMPAPER_B4 = 12;           // JIS B4, 257 x 364 mm
constexpr SHORT DMPAPER_B5 = 13;           // JIS B5, 182 x 257 mm
constexpr SHORT DMPAPER_FOLIO = 14;        // 8.5 x 13 in
constexpr SHORT DMPAPER_QUARTO = 15;       // 215 x 275 mm
constexpr SHORT DMPAPER_ENV_10 = 20;       // 4.125 x 9.5 in
constexpr SHORT DMPAPER_ENV_DL = 27;       // 110 x 220 mm
constexpr SHORT DMPAPER_ENV_C5 = 28;       // 162 x 229 mm
constexpr SHORT DMPAPER_ENV_MONARCH = 37;  // 3.875 x 7.5 in
constexpr SHORT DMPAPER_ISO_B4 = 42;       // 250 x 353 mm
constexpr SHORT DMPAPER_USER = 256;

// dmDefaultSource
constexpr SHORT DMBIN_UPPER = 1;
constexpr SHORT DMBIN_ONLYONE = 1;
constexpr SHORT DMBIN_LOWER = 2;
constexpr SHORT DMBIN_MIDDLE = 3;
constexpr SHORT DMBIN_MANUAL = 4;
constexpr SHORT DMBIN_ENVELOPE = 5;
constexpr SHORT DMBIN_ENVMANUAL = 6;
constexpr SHORT DMBIN_AUTO = 7;
constexpr SHORT DMBIN_TRACTOR = 8;
constexpr SHORT DMBIN_SMALLFMT = 9;
constexpr SHORT DMBIN_LARGEFMT = 10;
constexpr SHORT DMBIN_LARGECAPACITY = 11;
constexpr SHORT DMBIN_CASSETTE = 14;
constexpr SHORT DMBIN_FORMSOURCE = 15;
constexpr SHORT DMBIN_USER = 256;  // device-specific bins from here on

// dmPrintQuality (negative values; positive ones are dots per inch)
constexpr SHORT DMRES_DRAFT = -1;
constexpr SHORT DMRES_LOW = -2;
constexpr SHORT DMRES_MEDIUM = -3;
constexpr SHORT DMRES_HIGH = -4;

// dmColor
constexpr SHORT DMCOLOR_MONOCHROME = 1;
constexpr SHORT DMCOLOR_COLOR = 2;

// dmDuplex
constexpr SHORT DMDUP_SIMPLEX = 1;
constexpr SHORT DMDUP_VERTICAL = 2;    // long edge
constexpr SHORT DMDUP_HORIZONTAL = 3;  // short edge

// dmTTOption
constexpr SHORT DMTT_BITMAP = 1;
constexpr SHORT DMTT_DOWNLOAD = 2;
constexpr SHORT DMTT_SUBDEV = 3;
constexpr SHORT DMTT_DOWNLOAD_OUTLINE = 4;

// dmCollate
constexpr SHORT DMCOLLATE_FALSE = 0;
constexpr SHORT DMCOLLATE_TRUE = 1;

// dmNup
constexpr DWORD DMNUP_SYSTEM = 1;
constexpr DWORD DMNUP_ONEUP = 2;
