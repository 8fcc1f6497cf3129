// The open record the converter's PrnCtrlOpen is given: 1548 bytes,
// little-endian, with the printer name, the job's document name and its
// number.
#pragma once

#include <array>
#include <string_view>

#include "converter/converter_interface.h"

using OpenRecord = std::array<BYTE, kOpenRecordSize>;

// Names longer than 255 characters are cut to 255 (to 254 where the 255th
// would leave half of a surrogate pair) and terminated; the text field is
// left empty.
OpenRecord MakeOpenRecord(std::u16string_view printerName, std::u16string_view documentName, uint32_t jobId);

// The text cut to at most limit characters, never between the two halves of
// a surrogate pair.
std::u16string_view CutText(std::u16string_view text, size_t limit);
