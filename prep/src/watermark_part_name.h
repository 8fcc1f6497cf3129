// The name of a bitmap watermark's image part: "/WM_<base name>_<ticks>.png",
// the base name being that of the image file the user chose. A file name
// may hold anything, a part name may not: every character a part name
// segment does not allow is written as its UTF-8 bytes, each "%XX".
#pragma once

#include <string>
#include <string_view>

// The file name after its last "/", ":" or backslash (all of it when it has
// none), cut to 259 UTF-16 units without splitting a surrogate pair.
std::u16string_view WatermarkFileBaseName(std::u16string_view fileName);

// The text as a part name segment holds it: letters, digits, "-._~",
// "!$&'()*+,;=" and "@" as they are; every other character percent-encoded
// as its UTF-8 bytes ("%" itself too), an unpaired surrogate as U+FFFD.
std::u16string PercentEncodePartNameText(std::u16string_view text);

// "/WM_<encoded base name>_<ticks>.png".
std::u16string WatermarkImagePartName(std::u16string_view fileName, unsigned ticks);
