// The open record PrnCtrlOpen is given, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "open_record.h"

namespace {

// The expected record, built field by field from its layout: size at 0,
// printer name at 4, document name at 516 (each 256 UTF-16 units), job id at
// 1028, the value 1 at 1032, an empty text at 1036.
std::string Expected(const std::u16string& printer, const std::u16string& document, uint32_t jobId)
{
    std::string record(1548, '\0');
    auto number = [&](size_t offset, uint32_t value) {
        for (int byte = 0; byte < 4; ++byte) record[offset + byte] = static_cast<char>(value >> (8 * byte));
    };
    auto text = [&](size_t offset, const std::u16string& value) {
        for (size_t index = 0; index < value.size(); ++index) {
            record[offset + 2 * index] = static_cast<char>(value[index] & 0xFF);
            record[offset + 2 * index + 1] = static_cast<char>(value[index] >> 8);
        }
    };
    number(0, 1548);
    text(4, printer);
    text(516, document);
    number(1028, jobId);
    number(1032, 1);
    return record;
}

std::string Bytes(const OpenRecord& record) { return std::string(record.begin(), record.end()); }

TEST(OpenRecord, HoldsPrinterDocumentAndJob)
{
    EXPECT_EQ(Bytes(MakeOpenRecord(u"Laser Ä", u"report.xps", 0x01020304)),
              Expected(u"Laser Ä", u"report.xps", 0x01020304));
    EXPECT_EQ(Bytes(MakeOpenRecord(u"Laser", u"", 0)), Expected(u"Laser", u"", 0));
}

TEST(OpenRecord, NamesLongerThan255CharactersAreCutAndTerminated)
{
    std::u16string printer(300, u'p');
    // The 255th character would be the first half of a surrogate pair.
    std::u16string document = std::u16string(254, u'd') + u"\U0001F5A8" + u"tail";
    OpenRecord record = MakeOpenRecord(printer, document, 7);
    EXPECT_EQ(Bytes(record), Expected(std::u16string(255, u'p'), std::u16string(254, u'd'), 7));
    // The terminators: the 256th unit of each field.
    EXPECT_EQ(record[4 + 510], 0);
    EXPECT_EQ(record[516 + 510], 0);
}

}  // namespace
