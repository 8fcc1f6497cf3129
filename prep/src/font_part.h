// The part an embedded font is written to: named by a fresh GUID, typed as
// an obfuscated font and marked for obfuscation, which the part writer
// applies with the key of that GUID.
#pragma once

#include <string>

#include "font_data.h"
#include "platform/guid.h"
#include "platform/pipeline.h"

// "/XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX.odttf" in upper-case hexadecimal:
// 43 characters.
std::u16string FontPartUri(const GUID& guid);

// Types the new part as an obfuscated font, asks for obfuscation and writes
// the font bytes into the stream in blocks of 64 KiB. E_POINTER for no
// bytes, E_NOINTERFACE for a part that is not a font; otherwise the first
// failure of the part or the stream. The caller closes the stream.
HRESULT WriteFontPart(IUnknown* part, IPrintWriteStream* stream, FontBytesView bytes);
