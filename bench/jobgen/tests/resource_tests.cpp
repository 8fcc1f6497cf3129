// The zip writer, the PNG codec and font obfuscation, read back with
// libzip and checked against worked examples.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <zip.h>
#include <zlib.h>

#include "jobgen/file_reading.h"
#include "jobgen/font_resource.h"
#include "jobgen/pictures.h"
#include "jobgen/rgb_image.h"
#include "jobgen/zip_writer.h"
#include "test_support.h"

namespace jobgen {
namespace {

using testing::TempDir;

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

void WriteFile(const std::string& path, const std::vector<uint8_t>& data)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
}

TEST(ZipWriter, EntriesReadBackThroughLibzipWithTheirMethods)
{
    TempDir dir;
    std::string path = dir.File("a.zip");
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "<Path Data=\"M 0,0 L 1,1\"/>\n";
    std::vector<uint8_t> noise(70000);
    std::mt19937 random(7);
    for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
    {
        ZipWriter zip(path);
        zip.Add("text/page.fpage", text);
        zip.Add("noise.bin", noise, ZipMethod::Stored);
        zip.Add("empty", std::string_view(), ZipMethod::Deflated);
        zip.Finish();
    }
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    ASSERT_NE(archive, nullptr) << "libzip error " << error;
    ASSERT_EQ(zip_get_num_entries(archive, 0), 3);
    struct Expected {
        const char* name;
        std::string data;
        uint16_t method;
    } expected[] = {{"text/page.fpage", text, ZIP_CM_DEFLATE},
                    {"noise.bin", std::string(noise.begin(), noise.end()), ZIP_CM_STORE},
                    {"empty", "", ZIP_CM_DEFLATE}};
    for (int i = 0; i < 3; ++i) {
        zip_stat_t stat;
        ASSERT_EQ(zip_stat_index(archive, i, 0, &stat), 0);
        EXPECT_STREQ(stat.name, expected[i].name);
        EXPECT_EQ(stat.comp_method, expected[i].method);
        EXPECT_EQ(stat.size, expected[i].data.size());
        std::string data(stat.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(zip_fread(file, data.data(), data.size()), static_cast<zip_int64_t>(data.size()));
        zip_fclose(file);
        EXPECT_EQ(data, expected[i].data) << expected[i].name;
    }
    zip_stat_t stat;
    zip_stat_index(archive, 0, 0, &stat);
    EXPECT_LT(stat.comp_size, text.size() / 10);  // repetitive markup shrinks
    zip_discard(archive);
}

TEST(ZipWriter, AnUnfinishedArchiveLeavesNoFile)
{
    TempDir dir;
    {
        ZipWriter zip(dir.File("gone.zip"));
        zip.Add("a", "some text");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    try {
        ZipWriter zip(dir.File("missing/folder/x.zip"));
        FAIL() << "an archive was started in a missing folder";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("missing/folder/x.zip"), std::string::npos) << error.what();
    }
}

TEST(ZipWriter, TheSameEntriesGiveTheSameBytes)
{
    TempDir dir;
    for (const char* name : {"one.zip", "two.zip"}) {
        ZipWriter zip(dir.File(name));
        zip.Add("page.fpage", "<FixedPage/>");
        zip.Add("image.png", Bytes("not really a png"), ZipMethod::Stored);
        zip.Finish();
    }
    std::vector<uint8_t> one = ReadFileBytes(dir.File("one.zip"), 1 << 20);
    ASSERT_GT(one.size(), 14u);
    EXPECT_TRUE(one == ReadFileBytes(dir.File("two.zip"), 1 << 20));
    // The first entry's time and date: 00:00 on 1980-01-01, not the clock.
    EXPECT_EQ(std::vector<uint8_t>(one.begin() + 10, one.begin() + 14), (std::vector<uint8_t>{0, 0, 0x21, 0}));
}

// Beyond 65535 entries the archive needs Zip64 records; stored entries of
// one byte keep it small.
TEST(ZipWriter, MoreThan65535EntriesReadBackThroughLibzip)
{
    TempDir dir;
    std::string path = dir.File("many.zip");
    const int count = 65600;
    {
        ZipWriter zip(path);
        for (int i = 0; i < count; ++i) zip.Add(std::to_string(i), std::to_string(i % 10), ZipMethod::Stored);
        EXPECT_THROW(zip.Add("", "x"), std::runtime_error);
        zip.Finish();
        EXPECT_EQ(zip.EntryCount(), static_cast<size_t>(count));
    }
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    ASSERT_NE(archive, nullptr) << "libzip error " << error;
    EXPECT_EQ(zip_get_num_entries(archive, 0), count);
    for (int i : {0, 65534, 65535, count - 1}) {
        EXPECT_EQ(zip_name_locate(archive, std::to_string(i).c_str(), 0), i);
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        ASSERT_NE(file, nullptr) << i;
        char data[2] = {};
        EXPECT_EQ(zip_fread(file, data, sizeof data), 1) << i;
        EXPECT_EQ(data[0], '0' + i % 10) << i;
        zip_fclose(file);
    }
    zip_discard(archive);
}

TEST(Png, PixelsSurviveEncodingAndDecoding)
{
    RgbImage image(3, 2);
    image.Set(0, 0, {255, 0, 0});
    image.Set(1, 0, {0, 255, 0});
    image.Set(2, 0, {0, 0, 255});
    image.Set(0, 1, {1, 2, 3});
    image.Set(2, 1, {0, 0, 0});
    RgbImage decoded = DecodePng(EncodePng(image));
    ASSERT_EQ(decoded.Width(), 3);
    ASSERT_EQ(decoded.Height(), 2);
    EXPECT_EQ(decoded.Bytes(), image.Bytes());
    EXPECT_EQ(decoded.At(1, 1), (Rgb{255, 255, 255}));
}

TEST(Png, DamagedOrOversizedFilesAreRefusedWithAReason)
{
    std::vector<uint8_t> png = EncodePng(DrawGradient(64, 64));
    EXPECT_THROW(DecodePng(Bytes("not a png at all")), std::runtime_error);
    EXPECT_THROW(DecodePng(std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2)), std::runtime_error);
    EXPECT_THROW(DecodePng({}), std::runtime_error);

    // A valid header that claims 40000 x 40000 pixels: refused before any
    // pixel buffer is made.
    std::vector<uint8_t> huge = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto chunk = [&](const char* type, std::vector<uint8_t> data) {
        auto put32 = [&](uint32_t value) {
            for (int shift = 24; shift >= 0; shift -= 8) huge.push_back((value >> shift) & 0xff);
        };
        put32(static_cast<uint32_t>(data.size()));
        size_t start = huge.size();
        huge.insert(huge.end(), type, type + 4);
        huge.insert(huge.end(), data.begin(), data.end());
        put32(static_cast<uint32_t>(crc32(0, huge.data() + start, static_cast<uInt>(huge.size() - start))));
    };
    // 40000 = 0x9C40; 8-bit RGB, no interlace.
    chunk("IHDR", {0, 0, 0x9c, 0x40, 0, 0, 0x9c, 0x40, 8, 2, 0, 0, 0});
    chunk("IDAT", {});
    chunk("IEND", {});
    try {
        DecodePng(huge);
        FAIL() << "a 40000 x 40000 PNG was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("too large"), std::string::npos) << error.what();
    }

    TempDir dir;
    try {
        ReadPngFile(dir.File("absent.png"));
        FAIL() << "a missing file was read";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("absent.png"), std::string::npos) << error.what();
    }
}

TEST(Pictures, GradientRunsRedAcrossAndGreenDown)
{
    RgbImage gradient = DrawGradient(256, 64);
    EXPECT_EQ(gradient.At(0, 0), (Rgb{0, 0, 128}));
    EXPECT_EQ(gradient.At(255, 0), (Rgb{255, 0, 128}));
    EXPECT_EQ(gradient.At(0, 63), (Rgb{0, 255, 128}));
    EXPECT_EQ(gradient.At(128, 21), (Rgb{128, 85, 128}));
    RgbImage bars = DrawBars(96, 32, 4);
    EXPECT_NE(bars.At(0, 0), bars.At(95, 0));
    EXPECT_EQ(bars.At(0, 0), bars.At(0, 31));
}

TEST(FontObfuscation, CombinesTheFirst32BytesWithTheGuidBytesFromTheEnd)
{
    // The key bytes of 00112233-4455-6677-8899-AABBCCDDEEFF, taken from the
    // last pair of digits backwards.
    std::vector<uint8_t> font(48, 0);
    ObfuscateFont(font, "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    const uint8_t expected[16] = {0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99, 0x88,
                                  0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x00};
    for (int i = 0; i < 32; ++i) EXPECT_EQ(font[i], expected[i % 16]) << "byte " << i;
    for (int i = 32; i < 48; ++i) EXPECT_EQ(font[i], 0) << "byte " << i;

    std::vector<uint8_t> shortFont(31, 0);
    EXPECT_THROW(ObfuscateFont(shortFont, "00112233445566778899AABBCCDDEEFF"), std::invalid_argument);
    for (const char* bad :
         {"00112233445566778899AABBCCDDEEF", "00112233445566778899AABBCCDDEEFF0", "0011223344556677889XAABBCCDDEEFF"})
        EXPECT_THROW(ObfuscateFont(font, bad), std::invalid_argument) << bad;
}

TEST(FontFiles, OnlyTrueTypeAndOpenTypeFilesLoad)
{
    TempDir dir;
    WriteFile(dir.File("fake.ttf"), Bytes("GIF89a this is no font, but long enough to be read as one"));
    EXPECT_THROW(LoadFontFile(dir.File("fake.ttf")), std::runtime_error);
    EXPECT_THROW(LoadFontFile(dir.File("absent.ttf")), std::runtime_error);
    std::vector<uint8_t> otf = {'O', 'T', 'T', 'O'};
    otf.resize(64, 0);
    WriteFile(dir.File("tiny.otf"), otf);
    EXPECT_EQ(LoadFontFile(dir.File("tiny.otf")).size(), 64u);
}

}  // namespace
}  // namespace jobgen
