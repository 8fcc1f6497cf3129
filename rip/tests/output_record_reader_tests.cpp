// The write callback's output records, taken apart as a converter may
// deliver them: several in one buffer, one over several calls, a tail too
// short for a header, and the record types the filter has no use for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output_record_reader.h"

namespace {

struct Sink : OutputRecordSink {
    HRESULT PrinterData(const BYTE* bytes, uint32_t count) override
    {
        writes.emplace_back(reinterpret_cast<const char*>(bytes), count);
        return result;
    }
    void FilePath(std::u16string path) override { paths.push_back(std::move(path)); }
    void Warning(std::string text) override { warnings.push_back(std::move(text)); }
    void RefusalReason(std::string text) override { reasons.push_back(std::move(text)); }

    HRESULT result = S_OK;
    std::vector<std::string> writes;
    std::vector<std::u16string> paths;
    std::vector<std::string> warnings;
    std::vector<std::string> reasons;
};

// An 8-byte header, little-endian: the type (only its low byte counts) and
// the payload's length.
std::string Header(uint32_t type, uint32_t length)
{
    std::string bytes;
    for (uint32_t value : {type, length})
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(value >> shift));
    return bytes;
}

std::string Utf16(const std::u16string& text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

HRESULT Take(OutputRecordReader& reader, const std::string& bytes)
{
    return reader.Take(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
}

TEST(OutputRecords, TwoRecordsInOneBufferGoToTheStreamAndTheFileList)
{
    Sink sink;
    OutputRecordReader reader(sink);
    std::string path = Utf16(u"/tmp/back 1.prn") + std::string(2, '\0');
    ASSERT_EQ(Take(reader, Header(0, 5) + "PCL5e" + Header(1, static_cast<uint32_t>(path.size())) + path), S_OK);
    EXPECT_EQ(sink.writes, std::vector<std::string>{"PCL5e"});
    EXPECT_EQ(sink.paths, std::vector<std::u16string>{u"/tmp/back 1.prn"});
    EXPECT_FALSE(reader.RecordUnderWay());
}

TEST(OutputRecords, APayloadOverThreeCallsIsWrittenInThreePieces)
{
    Sink sink;
    OutputRecordReader reader(sink);
    Take(reader, Header(0x100, 10) + "abc");  // type 0x100: only its low byte, 0, counts
    EXPECT_TRUE(reader.RecordUnderWay());
    Take(reader, "defg");
    sink.result = STG_E_WRITEFAULT;
    // The last write's result is the callback's; the next record's header
    // follows in the same call.
    EXPECT_EQ(Take(reader, "hij" + Header(0, 2)), STG_E_WRITEFAULT);
    EXPECT_EQ(sink.writes, (std::vector<std::string>{"abc", "defg", "hij"}));
    EXPECT_TRUE(reader.RecordUnderWay());
}

TEST(OutputRecords, AFiveByteTailWritesNothingAndStartsNoRecord)
{
    Sink sink;
    OutputRecordReader reader(sink);
    EXPECT_EQ(Take(reader, Header(0, 3) + "xyz" + std::string("\0\0\0\0\x09", 5)), S_OK);
    EXPECT_EQ(sink.writes, std::vector<std::string>{"xyz"});
    EXPECT_FALSE(reader.RecordUnderWay());
    // The next call starts a record of its own.
    Take(reader, Header(0, 1) + "!");
    EXPECT_EQ(sink.writes.back(), "!");
}

TEST(OutputRecords, OtherTypesAreSkippedAndTextsComeWhenTheirRecordIsComplete)
{
    Sink sink;
    OutputRecordReader reader(sink);
    Take(reader, Header(7, 4) + "skip" + Header(2, 14) + "font missi");
    EXPECT_TRUE(sink.warnings.empty());
    Take(reader, "ng\r\n" + Header(3, 9) + "page 2: x" + Header(0, 1) + "z");
    EXPECT_EQ(sink.warnings, std::vector<std::string>{"font missing"});
    EXPECT_EQ(sink.reasons, std::vector<std::string>{"page 2: x"});
    EXPECT_EQ(sink.writes, std::vector<std::string>{"z"});
}

TEST(OutputRecords, APathOfMoreThan259CharactersIsDropped)
{
    Sink sink;
    OutputRecordReader reader(sink);
    std::string longest = Utf16(std::u16string(259, u'p')) + std::string(2, '\0');
    std::string tooLong = Utf16(std::u16string(260, u'q')) + std::string(2, '\0');
    Take(reader, Header(1, static_cast<uint32_t>(longest.size())) + longest);
    Take(reader, Header(1, static_cast<uint32_t>(tooLong.size())) + tooLong + Header(0, 1) + "k");
    ASSERT_EQ(sink.paths.size(), 1u);
    EXPECT_EQ(sink.paths[0].size(), 259u);
    EXPECT_EQ(sink.writes, std::vector<std::string>{"k"});
}

}  // namespace
