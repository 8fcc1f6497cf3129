// StoredEntryCheck: stored bytes of a zip entry checked against its declared
// CRC-32 and size, the deflated ones made here with zlib.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "tavzip/stored_entry_check.h"

namespace tav::zip {
namespace {

std::string RawDeflate(const std::string& text)
{
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

uint32_t Crc(const std::string& text)
{
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

// A text that inflates to more than one scratch buffer (64 KiB).
std::string LongText()
{
    std::string text;
    for (int i = 0; i < 30000; ++i) text += "<Path Data=\"M " + std::to_string(i) + "\"/>";
    return text;
}

// Checks stored bytes fed in pieces of `piece` bytes; the failure's reason,
// or "" when the entry passed.
std::string Check(const ZipEntryInfo& entry, const std::string& stored, size_t piece)
{
    try {
        StoredEntryCheck check(entry, "/part");
        for (size_t at = 0; at < stored.size(); at += piece)
            check.Feed(stored.data() + at, std::min(piece, stored.size() - at));
        check.Finish();
        return "";
    } catch (const ZipError& error) {
        EXPECT_EQ(error.Name(), "/part");
        return error.Reason();
    }
}

ZipEntryInfo Deflated(const std::string& text, const std::string& stored)
{
    ZipEntryInfo entry;
    entry.method = ZipEntryInfo::kDeflated;
    entry.size = text.size();
    entry.compressedSize = stored.size();
    entry.crc = Crc(text);
    return entry;
}

TEST(StoredEntryCheck, SoundEntriesPassInAnyPieces)
{
    std::string text = LongText();
    std::string stored = RawDeflate(text);
    for (size_t piece : {size_t{1}, size_t{7}, size_t{65536}, stored.size()}) {
        EXPECT_EQ(Check(Deflated(text, stored), stored, piece), "") << piece;
    }
    ZipEntryInfo plain;
    plain.size = 5;
    plain.compressedSize = 5;
    plain.crc = Crc("hello");
    EXPECT_EQ(Check(plain, "hello", 2), "");
    ZipEntryInfo empty;
    empty.crc = Crc("");
    EXPECT_EQ(Check(empty, "", 1), "");
}

TEST(StoredEntryCheck, WrongCrcOrSizeIsRefused)
{
    std::string text = LongText();
    std::string stored = RawDeflate(text);
    ZipEntryInfo entry = Deflated(text, stored);
    entry.crc ^= 1;
    EXPECT_NE(Check(entry, stored, 4096).find("CRC-32"), std::string::npos);

    entry = Deflated(text, stored);
    entry.size = text.size() - 1;
    EXPECT_NE(Check(entry, stored, 4096).find("more than its declared"), std::string::npos);
    entry.size = text.size() + 1;
    EXPECT_NE(Check(entry, stored, 4096).find("ends after"), std::string::npos);

    ZipEntryInfo plain;
    plain.size = 5;
    plain.crc = Crc("hellO");
    EXPECT_NE(Check(plain, "hello", 5).find("CRC-32"), std::string::npos);
}

TEST(StoredEntryCheck, BrokenDeflateDataIsRefused)
{
    std::string text = LongText();
    std::string stored = RawDeflate(text);
    ZipEntryInfo entry = Deflated(text, stored);
    // Cut short, trailing bytes after the end, and garbage.
    EXPECT_NE(Check(entry, stored.substr(0, stored.size() - 3), 4096), "");
    EXPECT_NE(Check(entry, stored + "xyz", 4096).find("after the end"), std::string::npos);
    EXPECT_NE(Check(entry, std::string(200, '\xff'), 4096), "");
}

}  // namespace
}  // namespace tav::zip
