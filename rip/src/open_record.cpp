#include "open_record.h"

namespace {

void PutNumber(OpenRecord& record, uint32_t offset, uint32_t value)
{
    for (int byte = 0; byte < 4; ++byte) record[offset + byte] = static_cast<BYTE>(value >> (8 * byte));
}

// The name in its 512-byte field, terminated (the rest of the field stays
// zero).
void PutName(OpenRecord& record, uint32_t offset, std::u16string_view name)
{
    std::u16string_view cut = CutText(name, kOpenRecordNameCharacters - 1);
    for (size_t index = 0; index < cut.size(); ++index) {
        record[offset + 2 * index] = static_cast<BYTE>(cut[index]);
        record[offset + 2 * index + 1] = static_cast<BYTE>(cut[index] >> 8);
    }
}

}  // namespace

std::u16string_view CutText(std::u16string_view text, size_t limit)
{
    if (text.size() <= limit) return text;
    size_t length = limit;
    // A high surrogate at the cut would lose its partner.
    if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
    return text.substr(0, length);
}

OpenRecord MakeOpenRecord(std::u16string_view printerName, std::u16string_view documentName, uint32_t jobId)
{
    OpenRecord record{};
    PutNumber(record, 0, kOpenRecordSize);
    PutName(record, kOpenRecordPrinterNameOffset, printerName);
    PutName(record, kOpenRecordDocumentNameOffset, documentName);
    PutNumber(record, kOpenRecordJobIdOffset, jobId);
    PutNumber(record, kOpenRecordOneOffset, 1);
    return record;
}
