// The font part: its name from the GUID, and what is written into it.
#include <gtest/gtest.h>

#include <cctype>

#include "font_part.h"
#include "testsupport/parts.h"

namespace {

using testsupport::FontPart;
using testsupport::ImagePart;
using testsupport::MakePart;

TEST(FontPartUri, IsTheGuidInUpperCaseHexadecimalIn43Characters)
{
    GUID guid = {0x0B5C3C2E, 0x8A1D, 0x4C1E, {0x9F, 0x2A, 0x3D, 0x4E, 0x5F, 0x60, 0x71, 0x82}};
    EXPECT_EQ(FontPartUri(guid), u"/0B5C3C2E-8A1D-4C1E-9F2A-3D4E5F607182.odttf");
    GUID letters = {0xABCDEFAB, 0xCDEF, 0xABCD, {0xEF, 0xAB, 0xCD, 0xEF, 0x0A, 0xBC, 0xDE, 0xF0}};
    EXPECT_EQ(FontPartUri(letters), u"/ABCDEFAB-CDEF-ABCD-EFAB-CDEF0ABCDEF0.odttf");

    GUID fresh{};
    ASSERT_EQ(CoCreateGuid(&fresh), S_OK);
    std::u16string uri = FontPartUri(fresh);
    ASSERT_EQ(uri.size(), 43u);
    EXPECT_EQ(uri.substr(37), u".odttf");
    for (size_t i : {9u, 14u, 19u, 24u}) EXPECT_EQ(uri[i], u'-') << i;
    for (size_t i = 1; i < 37; ++i) {
        if (uri[i] == u'-') continue;
        EXPECT_TRUE((uri[i] >= u'0' && uri[i] <= u'9') || (uri[i] >= u'A' && uri[i] <= u'F')) << i;
    }
}

// Records the size of each write.
class RecordingStream : public ComObject<IPrintWriteStream> {
public:
    HRESULT WriteBytes(const void* buffer, ULONG count, ULONG* written) override
    {
        writes.push_back(count);
        bytes.append(static_cast<const char*>(buffer), count);
        if (written) *written = count;
        return S_OK;
    }
    void Close() override {}
    std::vector<ULONG> writes;
    std::string bytes;

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintWriteStream ? static_cast<IPrintWriteStream*>(this) : nullptr;
    }
};

TEST(WriteFontPart, TypesAndMarksThePartAndWritesInBlocksOf64KiB)
{
    std::vector<uint8_t> font(150000);
    for (size_t i = 0; i < font.size(); ++i) font[i] = static_cast<uint8_t>(i % 251);
    auto part = MakePart<FontPart>(u"/0B5C3C2E-8A1D-4C1E-9F2A-3D4E5F607182.odttf", "");
    auto stream = ComPtr<RecordingStream>::Adopt(new RecordingStream);
    ASSERT_EQ(WriteFontPart(part.Get(), stream.Get(), font), S_OK);
    EXPECT_EQ(stream->writes, (std::vector<ULONG>{65536, 65536, 18928}));
    EXPECT_EQ(stream->bytes, std::string(font.begin(), font.end()));
    BSTR type = nullptr;
    EXpsFontOptions options = Font_Normal;
    ASSERT_EQ(part->GetFontProperties(&type, &options), S_OK);
    EXPECT_EQ(std::u16string(type), u"application/vnd.ms-package.obfuscated-opentype");
    EXPECT_EQ(options, Font_Obfusticate);
    SysFreeString(type);
}

TEST(WriteFontPart, NeedsBytesAndAFontPart)
{
    std::vector<uint8_t> font(10, 1);
    auto stream = ComPtr<RecordingStream>::Adopt(new RecordingStream);
    auto fontPart = MakePart<FontPart>(u"/a.odttf", "");
    auto image = MakePart<ImagePart>(u"/a.png", "");
    EXPECT_EQ(WriteFontPart(fontPart.Get(), stream.Get(), {}), E_POINTER);
    EXPECT_EQ(WriteFontPart(image.Get(), stream.Get(), font), E_NOINTERFACE);
    EXPECT_TRUE(stream->writes.empty());
}

}  // namespace
