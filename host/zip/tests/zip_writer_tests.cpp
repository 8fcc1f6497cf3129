// The streaming zip writer: archives read back with libzip (which checks
// every CRC and size as it inflates), and the records that end an archive
// checked field by field against sizes worked out by hand.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <random>

#include "tavzip/zip_writer.h"
#include "zip_test_support.h"

namespace tav::zip {
namespace {

using testing::Le16At;
using testing::Le32At;
using testing::Le64At;

int NewFile(const std::string& path) { return open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0644); }

void AddEntry(ZipWriter& zip, const std::string& name, const std::string& data, int level)
{
    zip.BeginEntry(name, level);
    zip.Write(data.data(), data.size());
    zip.EndEntry();
}

TEST(ZipWriterTest, StoredAndDeflatedEntriesReadBackExactlyWithTheirMethods)
{
    testing::TemporaryFolder folder;
    std::string path = folder.File("entries.zip");
    std::mt19937 random(7);
    std::string noise(300000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string text;
    for (int i = 0; i < 50000; ++i) text += "line " + std::to_string(i) + "\n";
    {
        ZipWriter zip(NewFile(path), DosTimeNow());
        AddEntry(zip, "noise.bin", noise, ZipWriter::kStored);
        zip.BeginEntry("a/text.txt", 6);
        // In uneven pieces, as page markup arrives.
        for (size_t at = 0; at < text.size(); at += 777)
            zip.Write(text.data() + at, std::min<size_t>(777, text.size() - at));
        zip.EndEntry();
        zip.BeginEntry("empty", 9);
        zip.EndEntry();
        AddEntry(zip, "fast.txt", text, 1);
        zip.Finish();
        EXPECT_EQ(zip.EntryCount(), 4u);
        EXPECT_EQ(zip.BytesWritten(), testing::ReadFile(path).size());
    }
    std::vector<testing::ArchiveEntry> entries = testing::ReadArchive(path);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "noise.bin");
    EXPECT_EQ(entries[0].method, ZIP_CM_STORE);
    EXPECT_TRUE(entries[0].data == noise);
    EXPECT_EQ(entries[1].name, "a/text.txt");
    EXPECT_EQ(entries[1].method, ZIP_CM_DEFLATE);
    EXPECT_TRUE(entries[1].data == text);
    EXPECT_EQ(entries[2].name, "empty");
    EXPECT_EQ(entries[2].data, "");
    EXPECT_EQ(entries[3].name, "fast.txt");
    EXPECT_TRUE(entries[3].data == text);
    // Both copies of the text were deflated.
    EXPECT_LT(testing::ReadFile(path).size(), noise.size() + text.size() / 2);
}

// Entries deflated one after the other share the writer's stream: each
// must come out whole on its own, whatever the level and the entries
// before it (one interrupted by a call out of order among them).
TEST(ZipWriterTest, EntriesDeflatedInTurnEachReadBackOnTheirOwn)
{
    testing::TemporaryFolder folder;
    std::string path = folder.File("turns.zip");
    std::vector<std::pair<std::string, int>> written;
    for (int i = 0; i < 6; ++i) {
        std::string text;
        for (int line = 0; line < 2000 + 500 * i; ++line)
            text += "entry " + std::to_string(i) + " line " + std::to_string(line) + "\n";
        written.push_back({text, i == 3 ? 6 : 1});
    }
    {
        ZipWriter zip(NewFile(path), DosTimeNow());
        zip.BeginEntry("unfinished", 1);
        zip.Write(written[0].first.data(), 5000);
        EXPECT_THROW(zip.BeginEntry("next", 1), std::logic_error);
        zip.EndEntry();
        for (size_t i = 0; i < written.size(); ++i)
            AddEntry(zip, "e" + std::to_string(i), written[i].first, written[i].second);
        zip.Finish();
    }
    std::vector<testing::ArchiveEntry> entries = testing::ReadArchive(path);
    ASSERT_EQ(entries.size(), written.size() + 1);
    EXPECT_TRUE(entries[0].data == written[0].first.substr(0, 5000));
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(entries[i + 1].method, ZIP_CM_DEFLATE);
        EXPECT_TRUE(entries[i + 1].data == written[i].first) << "entry " << i;
    }
}

// Two stored entries: a local header is 30 bytes and the name, a central
// record 46 bytes and the name, the end record 22 bytes.
TEST(ZipWriterTest, HeadersCarryTheCrcSizesOffsetsAndStamp)
{
    testing::TemporaryFolder folder;
    std::string path = folder.File("small.zip");
    {
        ZipWriter zip(NewFile(path), DosTime{0x6DAF, 0x586F});
        AddEntry(zip, "check", "123456789", ZipWriter::kStored);
        AddEntry(zip, "ab", "x", ZipWriter::kStored);
        zip.Finish();
    }
    std::string bytes = testing::ReadFile(path);
    const size_t first = 30 + 5 + 9, second = 30 + 2 + 1, directory = (46 + 5) + (46 + 2);
    ASSERT_EQ(bytes.size(), first + second + directory + 22);

    EXPECT_EQ(Le32At(bytes, 0), 0x04034b50u);
    EXPECT_EQ(Le16At(bytes, 10), 0x6DAFu);
    EXPECT_EQ(Le16At(bytes, 12), 0x586Fu);
    EXPECT_EQ(Le32At(bytes, 14), 0xCBF43926u);  // the CRC-32 check value of "123456789"
    EXPECT_EQ(Le32At(bytes, 18), 9u);
    EXPECT_EQ(Le32At(bytes, 22), 9u);
    EXPECT_EQ(bytes.substr(30, 5), "check");
    EXPECT_EQ(Le32At(bytes, first), 0x04034b50u);

    size_t central = first + second;
    EXPECT_EQ(Le32At(bytes, central), 0x02014b50u);
    EXPECT_EQ(Le32At(bytes, central + 16), 0xCBF43926u);
    EXPECT_EQ(Le32At(bytes, central + 42), 0u);  // local header offset
    EXPECT_EQ(Le32At(bytes, central + 46 + 5 + 42), first);

    size_t end = bytes.size() - 22;
    EXPECT_EQ(Le32At(bytes, end), 0x06054b50u);
    EXPECT_EQ(Le16At(bytes, end + 8), 2u);
    EXPECT_EQ(Le16At(bytes, end + 10), 2u);
    EXPECT_EQ(Le32At(bytes, end + 12), directory);
    EXPECT_EQ(Le32At(bytes, end + 16), central);
}

// 65535 entries no longer fit the end record's count (0xFFFF says "see the
// Zip64 record"). Names of five characters and one byte of data: local
// entries of 36 bytes, central records of 51.
TEST(ZipWriterTest, AFullEndRecordCountPointsToZip64Records)
{
    testing::TemporaryFolder folder;
    std::string path = folder.File("many.zip");
    const uint64_t count = 65535;
    {
        ZipWriter zip(NewFile(path), kEarliestDosTime);
        char name[8];
        for (uint64_t i = 0; i < count; ++i) {
            std::snprintf(name, sizeof name, "%05u", static_cast<unsigned>(i));
            AddEntry(zip, name, "x", ZipWriter::kStored);
        }
        zip.Finish();
    }
    std::string bytes = testing::ReadFile(path);
    const uint64_t directoryOffset = count * 36, directorySize = count * 51;
    ASSERT_EQ(bytes.size(), directoryOffset + directorySize + 56 + 20 + 22);

    size_t end = bytes.size() - 22;
    EXPECT_EQ(Le32At(bytes, end), 0x06054b50u);
    EXPECT_EQ(Le16At(bytes, end + 10), 0xFFFFu);
    EXPECT_EQ(Le32At(bytes, end + 12), 0xFFFFFFFFu);
    EXPECT_EQ(Le32At(bytes, end + 16), 0xFFFFFFFFu);
    size_t locator = end - 20;
    EXPECT_EQ(Le32At(bytes, locator), 0x07064b50u);
    size_t record = Le64At(bytes, locator + 8);
    ASSERT_EQ(record, directoryOffset + directorySize);
    EXPECT_EQ(Le32At(bytes, record), 0x06064b50u);
    EXPECT_EQ(Le64At(bytes, record + 32), count);
    EXPECT_EQ(Le64At(bytes, record + 40), directorySize);
    EXPECT_EQ(Le64At(bytes, record + 48), directoryOffset);

    std::vector<std::string> names = testing::ArchiveNames(path);
    ASSERT_EQ(names.size(), count);
    EXPECT_EQ(names[12345], "12345");
    EXPECT_EQ(names.back(), "65534");
}

TEST(ZipWriterTest, RefusesBadNamesAndCallsOutOfOrder)
{
    testing::TemporaryFolder folder;
    ZipWriter zip(NewFile(folder.File("bad.zip")), kEarliestDosTime);
    EXPECT_THROW(zip.BeginEntry("", ZipWriter::kStored), std::runtime_error);
    EXPECT_THROW(zip.BeginEntry(std::string(65536, 'n'), ZipWriter::kStored), std::runtime_error);
    EXPECT_THROW(zip.Write("x", 1), std::logic_error);
    EXPECT_THROW(zip.EndEntry(), std::logic_error);
    zip.BeginEntry("open", 6);
    EXPECT_THROW(zip.BeginEntry("second", 6), std::logic_error);
    EXPECT_THROW(zip.Finish(), std::logic_error);
    zip.EndEntry();
    zip.Finish();
    EXPECT_THROW(zip.BeginEntry("late", 6), std::logic_error);
    EXPECT_THROW(zip.Finish(), std::logic_error);
    EXPECT_EQ(testing::ReadArchive(folder.File("bad.zip")).size(), 1u);
}

TEST(ZipWriterTest, AFullDiskIsReportedNotIgnored)
{
    int fd = open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0) GTEST_SKIP() << "no /dev/full here";
    ZipWriter zip(fd, kEarliestDosTime);
    zip.BeginEntry("big", ZipWriter::kStored);
    // More than the writer buffers, so that it must write.
    std::string data(1 << 20, 'd');
    try {
        zip.Write(data.data(), data.size());
        zip.EndEntry();
        zip.Finish();
        FAIL() << "writing to a full disk succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("cannot write"), std::string::npos) << error.what();
    }
}

// The writer keeps the central directory wherever its user says.
TEST(ZipWriterTest, TheDirectoryGoesThroughTheBufferItIsGiven)
{
    class CountingDirectory : public DirectoryBuffer {
    public:
        explicit CountingDirectory(int* appended) : appended_(appended) {}
        void Append(const std::string& record) override
        {
            ++*appended_;
            kept_ += record;
        }
        // In blocks of three bytes, as a buffer read back in pieces gives it.
        void WriteOut(const Sink& sink) override
        {
            for (size_t at = 0; at < kept_.size(); at += 3)
                sink(kept_.data() + at, std::min<size_t>(3, kept_.size() - at));
        }

    private:
        int* appended_;
        std::string kept_;
    };
    testing::TemporaryFolder folder;
    std::string path = folder.File("counted.zip");
    int appended = 0;
    {
        ZipWriter zip(NewFile(path), kEarliestDosTime, std::make_unique<CountingDirectory>(&appended));
        AddEntry(zip, "one", "1", 6);
        AddEntry(zip, "two", "22", ZipWriter::kStored);
        zip.Finish();
    }
    EXPECT_EQ(appended, 2);
    std::vector<testing::ArchiveEntry> entries = testing::ReadArchive(path);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].data, "1");
    EXPECT_EQ(entries[1].data, "22");
}

}  // namespace
}  // namespace tav::zip
