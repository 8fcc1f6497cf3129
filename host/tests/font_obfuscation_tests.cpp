// Fonts stored obfuscated: the key a part name gives, the exclusive or of
// the first 32 bytes, and the package writer storing a font that a filter
// asked to be obfuscated, read back and rendered by MuPDF.
#include <gtest/gtest.h>

#include "opc/package_error.h"
#include "package/font_obfuscation.h"
#include "package/package_writer.h"
#include "parts/new_part.h"
#include "parts/part_objects.h"
#include "support/command_run.h"
#include "support/test_package.h"

#include <fstream>

// After the platform headers: <fcntl.h> defines LOCK_WRITE as a macro.
#include <fcntl.h>

namespace tav::host {
namespace {

using testing::TemporaryFolder;
using testing::ZipItem;

constexpr char16_t kFontName[] = u"/Resources/0B5C3C2E-8A1D-4C1E-9F2A-3D4E5F607182.odttf";
// The GUID's bytes as its text writes them, 0B 5C ... 71 82, reversed.
constexpr FontKey kFontKey = {0x82, 0x71, 0x60, 0x5F, 0x4E, 0x3D, 0x2A, 0x9F,
                              0x1E, 0x4C, 0x1D, 0x8A, 0x2E, 0x3C, 0x5C, 0x0B};

TEST(FontObfuscation, TheKeyIsTheGuidsBytesReversed)
{
    EXPECT_EQ(FontObfuscationKey("/Resources/0B5C3C2E-8A1D-4C1E-9F2A-3D4E5F607182.odttf"), kFontKey);
    EXPECT_EQ(FontObfuscationKey("/{0b5c3c2e-8a1d-4c1e-9f2a-3d4e5f607182}.odttf"), kFontKey);
    FontKey counting = {0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x00};
    EXPECT_EQ(FontObfuscationKey("/00112233-4455-6677-8899-AABBCCDDEEFF.odttf"), counting);
    for (const char* name :
         {"/Resources/font.odttf", "/00112233-4455-6677-8899-AABBCCDDEEF.odttf",
          "/00112233-4455-6677-8899-AABBCCDDEEFFF.odttf", "/0011223344556677-8899-AABBCCDDEEFF.odttf",
          "/00112233-4455-6677-8899-AABBCCDDEEFF/x.odttf"}) {
        EXPECT_EQ(FontObfuscationKey(name), std::nullopt) << name;
    }
}

TEST(FontObfuscation, OnlyTheFirst32BytesChangeAndTwiceGivesTheOriginal)
{
    std::vector<uint8_t> font(70, 0);
    for (size_t i = 0; i < font.size(); ++i) font[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> obfuscated = font;
    ObfuscateFontBytes(obfuscated.data(), obfuscated.size(), 0, kFontKey);
    for (size_t i = 0; i < font.size(); ++i) {
        uint8_t expected = i < 32 ? static_cast<uint8_t>(font[i] ^ kFontKey[i % 16]) : font[i];
        EXPECT_EQ(obfuscated[i], expected) << i;
    }
    // Pieces that start anywhere: the key follows the offset in the font.
    std::vector<uint8_t> inPieces = font;
    for (size_t start = 0; start < inPieces.size(); start += 5) {
        ObfuscateFontBytes(inPieces.data() + start, std::min<size_t>(5, inPieces.size() - start), start, kFontKey);
    }
    EXPECT_EQ(inPieces, obfuscated);
    ObfuscateFontBytes(obfuscated.data(), obfuscated.size(), 0, kFontKey);
    EXPECT_EQ(obfuscated, font);
}

int NewFile(const std::string& path) { return open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0644); }

// The bytes of an installed font file, found by fontconfig's own tool.
std::string InstalledFont()
{
    testing::CommandResult found = testing::RunCommand("fc-match -f '%{file}' 'DejaVu Sans:style=Book'");
    if (found.status != 0 || found.out.empty()) return {};
    return testing::ReadFile(found.out);
}

struct WrittenFont {
    std::string output;
    std::string font;
};

// A one-page package whose page draws "WW" in a font part of the given
// name, written with or without the obfuscation option.
WrittenFont WriteFontPage(const std::u16string& fontName, EXpsFontOptions options, const std::string& fontBytes)
{
    auto log = std::make_shared<FailureLog>();
    WrittenFont written{TemporaryFolder() + "/font-" + std::to_string(options) + ".xps", fontBytes};
    PackageWriter writer(NewFile(written.output), xps::Flavour::Xps);
    ComPtr<IPrintWriteStream> stream;
    ComPtr<IPartFont> font;
    EXPECT_EQ(CreateEmptyPart(fontName.c_str(), IID_IPartFont, font.OutVoid(), stream.Out(), log), S_OK);
    stream->WriteBytes(fontBytes.data(), static_cast<ULONG>(fontBytes.size()), nullptr);
    stream->Close();
    EXPECT_EQ(font->SetFontOptions(options), S_OK);

    ComPtr<IFixedPage> page;
    EXPECT_EQ(CreateEmptyPart(u"/Documents/1/Pages/1.fpage", IID_IFixedPage, page.OutVoid(), stream.Out(), log), S_OK);
    std::string uri(fontName.begin(), fontName.end());
    std::string markup =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"200\" Height=\"200\">"
        "<Glyphs Fill=\"#000000\" FontUri=\"" +
        uri +
        "\" FontRenderingEmSize=\"150\" "
        "OriginX=\"10\" OriginY=\"150\" UnicodeString=\"WW\"/></FixedPage>";
    stream->WriteBytes(markup.data(), static_cast<ULONG>(markup.size()), nullptr);
    stream->Close();
    page->SetPagePart(font.Get());

    auto document =
        MakePartObject(std::make_shared<PartData>("/Documents/1/FixedDoc.fdoc", PartRole::Document, "", nullptr, log));
    ComPtr<IFixedDocument> fixedDocument;
    document.As(IID_IFixedDocument, &fixedDocument);
    writer.AddDocument(fixedDocument.Get());
    writer.AddPage(page.Get());
    writer.Finish();
    return written;
}

// The share of dark pixels of the page as MuPDF draws it in grey.
double DarkShare(const std::string& package)
{
    std::string image = TemporaryFolder() + "/font-page.pgm";
    testing::CommandResult drawn =
        testing::RunCommand("mutool draw -q -r 72 -c gray -o " + testing::Quote(image) + " " + testing::Quote(package));
    EXPECT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(drawn.err.find("font"), std::string::npos) << drawn.err;
    std::string pgm = testing::ReadFile(image);
    // "P5\n200 200\n255\n" and one byte a pixel.
    size_t header = 0;
    for (int lines = 0; lines < 3 && header < pgm.size(); ++header) lines += pgm[header] == '\n';
    size_t dark = 0;
    for (size_t i = header; i < pgm.size(); ++i) dark += static_cast<uint8_t>(pgm[i]) < 128;
    return pgm.size() > header ? static_cast<double>(dark) / static_cast<double>(pgm.size() - header) : 0;
}

TEST(FontObfuscation, AFontAFilterAskedToObfuscateIsStoredSoThatItRenders)
{
    std::string fontBytes = InstalledFont();
    if (fontBytes.size() < 32) GTEST_SKIP() << "no installed font found with fc-match";
    WrittenFont written = WriteFontPage(kFontName, Font_Obfusticate, fontBytes);

    std::string stored = ZipItem(written.output, "Resources/0B5C3C2E-8A1D-4C1E-9F2A-3D4E5F607182.odttf");
    ASSERT_EQ(stored.size(), fontBytes.size());
    for (size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(static_cast<uint8_t>(stored[i]), static_cast<uint8_t>(fontBytes[i] ^ kFontKey[i % 16])) << i;
    }
    EXPECT_EQ(stored.substr(32), fontBytes.substr(32));
    std::string types = ZipItem(written.output, "[Content_Types].xml");
    EXPECT_NE(types.find("Extension=\"odttf\" ContentType=\"application/vnd.ms-package.obfuscated-opentype\""),
              std::string::npos)
        << types;

    if (!testing::HaveTool("mutool")) GTEST_SKIP() << "mutool (mupdf-tools) is not installed";
    // Two 150-unit Ws of the font cover 18% of the page. A font MuPDF
    // cannot load is reported on its error output and drawn with its
    // narrower substitute, which covers under 14%.
    EXPECT_GT(DarkShare(written.output), 0.16);
}

TEST(FontObfuscation, WithoutTheOptionTheFontIsStoredAsItIs)
{
    std::string fontBytes(100, 'f');
    WrittenFont written = WriteFontPage(kFontName, Font_Normal, fontBytes);
    EXPECT_EQ(ZipItem(written.output, "Resources/0B5C3C2E-8A1D-4C1E-9F2A-3D4E5F607182.odttf"), fontBytes);
}

TEST(FontObfuscation, AFontToObfuscateWithoutAGuidNameIsRefused)
{
    try {
        WriteFontPage(u"/Resources/plain.odttf", Font_Obfusticate, std::string(100, 'f'));
        FAIL() << "no error";
    } catch (const PackageError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "/Resources/plain.odttf: a font to be stored obfuscated is not named by a GUID");
    }
}

}  // namespace
}  // namespace tav::host
