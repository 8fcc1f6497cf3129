// Font measuring and font data through a display device context: fonts are
// chosen by face name, measured and read as the filters' text decorations
// need. Faces are found by fontconfig, so a common name such as "Arial"
// gives its metric-compatible free face; FreeType measures them.
//
// The display context has 96 pixels per inch, so every width, height and
// metric below is in XPS units of 1/96 inch.
//
// Every handle is checked: a handle that is not a live object of the right
// kind fails the call with ERROR_INVALID_HANDLE as the last error.
#pragma once

#include "platform/base.h"

struct GdiObject;
using HGDIOBJ = GdiObject*;
using HFONT = GdiObject*;
struct DeviceContext;
using HDC = DeviceContext*;

struct SIZE {
    LONG cx;
    LONG cy;
};

constexpr int LF_FACESIZE = 32;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE OUT_TT_ONLY_PRECIS = 7;
constexpr BYTE CLEARTYPE_QUALITY = 5;

struct LOGFONTW {
    LONG lfHeight;  // < 0: the em height; > 0: the cell height (ascent + descent); 0: a default size
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;

// The table argument of GetFontData: the four tag characters as they lie in
// memory, so "ttcf" is 't' | 't' << 8 | 'c' << 16 | 'f' << 24.
constexpr DWORD FontTableTag(const char (&tag)[5])
{
    return static_cast<DWORD>(static_cast<BYTE>(tag[0])) | static_cast<DWORD>(static_cast<BYTE>(tag[1])) << 8 |
           static_cast<DWORD>(static_cast<BYTE>(tag[2])) << 16 | static_cast<DWORD>(static_cast<BYTE>(tag[3])) << 24;
}

// GetDeviceCaps indexes.
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// Only the display ("DISPLAY", every other argument null) can be created;
// anything else gives null with ERROR_INVALID_PARAMETER.
HDC CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const void* devmode);
// Deletes the context; the fonts selected into it stay alive.
BOOL DeleteDC(HDC dc);
// 96 for LOGPIXELSX and LOGPIXELSY, 0 for anything else.
int GetDeviceCaps(HDC dc, int index);

// A font of the face closest to lfFaceName (a leading "@", the vertical
// form of a name, is ignored), weight and italic. Only scalable faces with
// TrueType or OpenType data are taken. Null with the last error set when no
// such face exists or the face cannot be read.
HFONT CreateFontIndirectW(const LOGFONTW* font);
// Selects a font into the context and returns the object it replaced (a
// fresh context holds a stock font), or null for bad handles.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a font; stock objects are never deleted. FALSE for bad handles.
BOOL DeleteObject(HGDIOBJ object);

// The extent of count UTF-16 units in the selected font: cx is the sum of
// the characters' advances, each rounded to whole pixels (a surrogate pair
// is one character; kerning is not applied), cy the font's height.
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
// The family name of the face the selected font actually uses; returns the
// units copied including the terminator, or with a null name the units
// needed. 0 on failure.
int GetTextFaceW(HDC dc, int count, LPWSTR name);
// Data of the selected font's file: table 0 is the whole file; "ttcf" is the
// whole file when it is a font collection (GDI_ERROR otherwise); any other
// tag the face's table of that tag. Reads from offset into buffer up to size
// bytes and returns the bytes read; with a null buffer or a size of 0
// returns the length of the data from offset on. GDI_ERROR for a missing
// table, an offset past its end or a bad handle.
DWORD GetFontData(HDC dc, DWORD table, DWORD offset, void* buffer, DWORD size);
