// The streaming zip writer, read back with libzip (which checks every CRC
// and size as it inflates).
#include <gtest/gtest.h>

#include <random>

#include "support/test_package.h"
#include "zip/zip_writer.h"

#include <fcntl.h>

namespace tav::host {
namespace {

int NewFile(const std::string& path)
{
    return open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0644);
}

TEST(ZipWriterTest, StoredAndDeflatedEntriesReadBackExactly)
{
    std::string path = testing::TemporaryFolder() + "/entries.zip";
    std::mt19937 random(7);
    std::string noise(300000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string text;
    for (int i = 0; i < 50000; ++i) text += "line " + std::to_string(i) + "\n";
    {
        ZipWriter zip(NewFile(path));
        zip.BeginEntry("noise.bin", ZipWriter::kStored);
        zip.Write(noise.data(), noise.size());
        zip.EndEntry();
        zip.BeginEntry("a/text.txt", 6);
        // In uneven pieces, as page markup arrives.
        for (size_t at = 0; at < text.size(); at += 777) zip.Write(text.data() + at, std::min<size_t>(777, text.size() - at));
        zip.EndEntry();
        zip.BeginEntry("empty", 9);
        zip.EndEntry();
        zip.Finish();
    }
    EXPECT_EQ(testing::ZipItemNames(path), (std::vector<std::string>{"noise.bin", "a/text.txt", "empty"}));
    EXPECT_EQ(testing::ZipItem(path, "noise.bin"), noise);
    EXPECT_EQ(testing::ZipItem(path, "a/text.txt"), text);
    EXPECT_EQ(testing::ZipItem(path, "empty"), "");
    EXPECT_LT(testing::ReadFile(path).size(), noise.size() + text.size() / 3);  // the text was deflated
}

TEST(ZipWriterTest, MoreThan65535EntriesGetZip64Records)
{
    std::string path = testing::TemporaryFolder() + "/many.zip";
    const int count = 70000;
    {
        ZipWriter zip(NewFile(path));
        for (int i = 0; i < count; ++i) {
            zip.BeginEntry("e" + std::to_string(i), ZipWriter::kStored);
            zip.Write("x", 1);
            zip.EndEntry();
        }
        zip.Finish();
    }
    std::vector<std::string> names = testing::ZipItemNames(path);
    ASSERT_EQ(names.size(), static_cast<size_t>(count));
    EXPECT_EQ(names.back(), "e69999");
    EXPECT_EQ(testing::ZipItem(path, "e69999"), "x");
}

}  // namespace
}  // namespace tav::host
