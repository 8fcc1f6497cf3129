// The part objects filters use: read and write streams, tickets, page
// resources and new parts from GetNewEmptyPart.
#include <gtest/gtest.h>

#include <thread>

#include "content/spill_buffer.h"
#include "package/zip_content.h"
#include "parts/new_part.h"
#include "parts/part_objects.h"
#include "parts/part_streams.h"

namespace tav::host {
namespace {

std::shared_ptr<FailureLog> Log()
{
    static auto log = std::make_shared<FailureLog>();
    return log;
}

template <class Interface>
ComPtr<Interface> NewPart(const char16_t* name, REFIID riid, ComPtr<IPrintWriteStream>* stream)
{
    ComPtr<Interface> part;
    EXPECT_EQ(CreateEmptyPart(name, riid, part.OutVoid(), stream->Out(), Log()), S_OK);
    return part;
}

void Write(IPrintWriteStream* stream, const std::string& text)
{
    ULONG written = 0;
    EXPECT_EQ(stream->WriteBytes(text.data(), static_cast<ULONG>(text.size()), &written), S_OK);
    EXPECT_EQ(written, text.size());
}

std::string ReadRest(IPrintReadStream* stream, ULONG block = 5)
{
    std::string bytes;
    std::vector<char> buffer(block);
    for (;;) {
        ULONG got = 0;
        BOOL end = FALSE;
        EXPECT_EQ(stream->ReadBytes(buffer.data(), block, &got, &end), S_OK);
        bytes.append(buffer.data(), got);
        if (end) break;
        EXPECT_EQ(got, block);  // only the last read is short
    }
    return bytes;
}

TEST(PartStreamTest, ClosedWriteReplacesContentAndEarlierReadersKeepTheOld)
{
    ComPtr<IPrintWriteStream> stream;
    ComPtr<IFixedPage> page = NewPart<IFixedPage>(u"/Pages/p.fpage", IID_IFixedPage, &stream);
    Write(stream.Get(), "first content");
    stream->Close();

    ComPtr<IPrintReadStream> before;
    ASSERT_EQ(page->GetStream(before.Out()), S_OK);
    ComPtr<IPrintWriteStream> rewrite;
    ASSERT_EQ(page->GetWriteStream(rewrite.Out()), S_OK);
    Write(rewrite.Get(), "second");
    // Not closed yet: new readers still see the old content.
    ComPtr<IPrintReadStream> during;
    ASSERT_EQ(page->GetStream(during.Out()), S_OK);
    EXPECT_EQ(ReadRest(during.Get()), "first content");
    rewrite->Close();
    EXPECT_EQ(rewrite->WriteBytes("x", 1, nullptr), E_UNEXPECTED);

    ComPtr<IPrintReadStream> after;
    ASSERT_EQ(page->GetStream(after.Out()), S_OK);
    EXPECT_EQ(ReadRest(after.Get()), "second");
    EXPECT_EQ(ReadRest(before.Get()), "first content");
    EXPECT_TRUE(HostDataOf(page.Get())->Changed());
}

TEST(PartStreamTest, SeekForwardBackwardAndFromTheEnd)
{
    ComPtr<IPrintReadStream> stream = MakeReadStream(MemoryContent("0123456789"), Log(), "/x");
    ULONGLONG position = 0;
    char buffer[4] = {};
    ULONG got = 0;
    ASSERT_EQ(stream->Seek(7, STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(position, 7u);
    ASSERT_EQ(stream->ReadBytes(buffer, 2, &got, nullptr), S_OK);
    EXPECT_EQ(std::string(buffer, got), "78");
    ASSERT_EQ(stream->Seek(-6, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, 3u);
    ASSERT_EQ(stream->ReadBytes(buffer, 2, &got, nullptr), S_OK);
    EXPECT_EQ(std::string(buffer, got), "34");
    ASSERT_EQ(stream->Seek(-3, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 7u);
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 10u);
    EXPECT_EQ(stream->Seek(-11, STREAM_SEEK_END, &position), STG_E_INVALIDFUNCTION);
}

TEST(PartStreamTest, SizeOfTranslatedContentIsMeasured)
{
    // Translated markup has no known size; the end is found by reading.
    auto content =
        std::make_shared<TranslatedContent>(MemoryContent("<a xmlns=\"OLD\"/><b xmlns=\"OLD\"/>"), "OLD", "LONGER");
    ComPtr<IPrintReadStream> stream = MakeReadStream(content, Log(), "/x");
    ULONGLONG end = 0;
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_END, &end), S_OK);
    EXPECT_EQ(end, 38u);  // two 16-byte elements, each 3 bytes longer
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(ReadRest(stream.Get(), 3), "<a xmlns=\"LONGER\"/><b xmlns=\"LONGER\"/>");
}

TEST(PartStreamTest, TranslationFindsOccurrencesSplitAcrossBlocks)
{
    // 70000 bytes put an occurrence across the translator's 64 KiB blocks.
    std::string original(65530, 'x');
    original += "http://schemas.openxps.org/oxps/v1.0";
    original += std::string(100, 'y');
    auto content = std::make_shared<TranslatedContent>(MemoryContent(original), "http://schemas.openxps.org/oxps/v1.0",
                                                       "http://schemas.microsoft.com/xps/2005/06");
    std::unique_ptr<ByteReader> reader = content->Open();
    std::string translated;
    char block[4096];
    while (size_t got = reader->Read(block, sizeof block)) translated.append(block, got);
    EXPECT_EQ(translated, std::string(65530, 'x') + "http://schemas.microsoft.com/xps/2005/06" + std::string(100, 'y'));
}

TEST(SpillBufferTest, LargeContentMovesToAFileAndReadsBackWhole)
{
    SpillBuffer buffer(1024);
    std::string expected;
    for (int i = 0; i < 500; ++i) {
        std::string line = "line " + std::to_string(i) + "\n";
        buffer.Append(line);
        expected += line;
    }
    EXPECT_TRUE(buffer.Spilled());
    std::shared_ptr<const PartContent> content = buffer.Finish();
    EXPECT_EQ(content->KnownSize(), expected.size());
    // Two readers at once keep their own positions.
    std::unique_ptr<ByteReader> first = content->Open();
    std::unique_ptr<ByteReader> second = content->Open();
    std::string a, b;
    char block[100];
    while (size_t got = first->Read(block, 37)) {
        a.append(block, got);
        if (size_t more = second->Read(block, 100)) b.append(block, more);
    }
    while (size_t got = second->Read(block, 100)) b.append(block, got);
    EXPECT_EQ(a, expected);
    EXPECT_EQ(b, expected);
}

TEST(SpillBufferTest, ContentBeyondTheLimitIsRefused)
{
    SpillBuffer buffer(16, 100);
    buffer.Append(std::string(90, 'a'));
    EXPECT_THROW(buffer.Append(std::string(20, 'b')), std::runtime_error);
}

TEST(PageObjectTest, TicketsResourcesAndIteration)
{
    ComPtr<IPrintWriteStream> stream;
    ComPtr<IFixedPage> page = NewPart<IFixedPage>(u"/Documents/1/Pages/1.fpage", IID_IFixedPage, &stream);
    ComPtr<IPartPrintTicket> none;
    EXPECT_EQ(page->GetPrintTicket(none.Out()), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_FALSE(none);

    ComPtr<IPartPrintTicket> ticket = NewPart<IPartPrintTicket>(u"/t.xml", IID_IPartPrintTicket, &stream);
    ASSERT_EQ(page->SetPrintTicket(ticket.Get()), S_OK);
    ComPtr<IPartPrintTicket> got;
    ASSERT_EQ(page->GetPrintTicket(got.Out()), S_OK);
    EXPECT_EQ(got.Get(), ticket.Get());

    ComPtr<IPartFont> font = NewPart<IPartFont>(u"/Resources/Font.ttf", IID_IPartFont, &stream);
    ComPtr<IPartImage> image = NewPart<IPartImage>(u"Resources/Image.png", IID_IPartImage, &stream);
    ASSERT_EQ(page->SetPagePart(font.Get()), S_OK);
    ASSERT_EQ(page->SetPagePart(image.Get()), S_OK);
    ASSERT_EQ(page->SetPagePart(font.Get()), S_OK);  // once by name
    EXPECT_EQ(page->SetPagePart(page.Get()), E_INVALIDARG);

    // By name as markup gives it: relative to the page, any case.
    ComPtr<IUnknown> found;
    ASSERT_EQ(page->GetPagePart(u"../../../resources/font.TTF", found.Out()), S_OK);
    ComPtr<IPartFont> asFont;
    EXPECT_EQ(found.As(IID_IPartFont, &asFont), S_OK);
    EXPECT_EQ(asFont.Get(), font.Get());
    EXPECT_EQ(page->GetPagePart(u"/Resources/missing.png", found.Out()), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_EQ(page->GetPagePart(u"../../../../escape.png", found.Out()), E_INVALIDARG);

    ComPtr<IXpsPartIterator> iterator;
    ASSERT_EQ(page->GetXpsPartIterator(iterator.Out()), S_OK);
    std::vector<std::u16string> names;
    for (iterator->Reset(); !iterator->IsDone(); iterator->Next()) {
        BSTR uri = nullptr;
        ComPtr<IUnknown> part;
        ASSERT_EQ(iterator->Current(&uri, part.Out()), S_OK);
        names.emplace_back(uri);
        SysFreeString(uri);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"/Resources/Font.ttf", u"/Resources/Image.png"}));

    EXPECT_EQ(page->DeleteResource(u"/Resources/Font.ttf"), S_OK);
    EXPECT_EQ(page->DeleteResource(u"/Resources/Font.ttf"), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_EQ(HostDataOf(page.Get())->Resources().size(), 1u);
}

TEST(NewPartTest, InterfacesAndContentTypesByKind)
{
    ComPtr<IPrintWriteStream> stream;
    ComPtr<IPartFont> font = NewPart<IPartFont>(u"/f/{GUID}.odttf", IID_IPartFont, &stream);
    BSTR type = nullptr;
    EXPECT_FALSE(HostDataOf(font.Get())->Changed());
    EXPECT_EQ(font->SetFontOptions(Font_Obfusticate), S_OK);
    EXPECT_EQ(font->SetFontContent(const_cast<BSTR>(u"application/vnd.ms-package.obfuscated-opentype")), S_OK);
    EXpsFontOptions options = Font_Normal;
    ASSERT_EQ(font->GetFontProperties(&type, &options), S_OK);
    EXPECT_EQ(std::u16string(type), u"application/vnd.ms-package.obfuscated-opentype");
    EXPECT_EQ(options, Font_Obfusticate);
    SysFreeString(type);

    ComPtr<IPartImage> image = NewPart<IPartImage>(u"/WM_x_1.png", IID_IPartImage, &stream);
    ASSERT_EQ(image->GetImageProperties(&type), S_OK);
    EXPECT_EQ(std::u16string(type), u"image/png");
    SysFreeString(type);
    ComPtr<IPartBase> base;
    EXPECT_EQ(image.As(IID_IPartBase, &base), S_OK);
    ComPtr<IFixedPage> notAPage;
    EXPECT_EQ(image.As(IID_IFixedPage, &notAPage), E_NOINTERFACE);

    void* part = nullptr;
    IPrintWriteStream* raw = nullptr;
    EXPECT_EQ(CreateEmptyPart(u"/a.fdoc", IID_IFixedDocument, &part, &raw, Log()), E_NOINTERFACE);
    EXPECT_EQ(CreateEmptyPart(u"/../a.xml", IID_IPartPrintTicket, &part, &raw, Log()), E_INVALIDARG);
    EXPECT_EQ(part, nullptr);
    EXPECT_EQ(raw, nullptr);
}

// New parts never take a name the job already has: not one of the input
// package's (compared as OPC compares names) and not one given out before.
TEST(NewPartTest, NamesTheJobAlreadyHasAreRefused)
{
    PartNameRegistry names;
    ASSERT_TRUE(names.Claim("/Documents/1/Pages/1.fpage"));
    void* part = nullptr;
    IPrintWriteStream* stream = nullptr;
    EXPECT_EQ(CreateEmptyPart(u"/documents/1/PAGES/1.fpage", IID_IFixedPage, &part, &stream, Log(), &names),
              HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(part, nullptr);
    EXPECT_EQ(stream, nullptr);

    ASSERT_EQ(CreateEmptyPart(u"/PT_FI_1_2.xml", IID_IPartPrintTicket, &part, &stream, Log(), &names), S_OK);
    static_cast<IUnknown*>(part)->Release();
    stream->Close();
    stream->Release();
    EXPECT_EQ(CreateEmptyPart(u"/PT_FI_1_2.xml", IID_IPartPrintTicket, &part, &stream, Log(), &names),
              HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
}

TEST(PartStreamTest, ManyThreadsReadOnePartAtOnce)
{
    std::string content;
    for (int i = 0; i < 20000; ++i) content += std::to_string(i) + ",";
    ComPtr<IPrintWriteStream> stream;
    ComPtr<IPartImage> image = NewPart<IPartImage>(u"/i.png", IID_IPartImage, &stream);
    Write(stream.Get(), content);
    stream->Close();
    std::vector<std::thread> readers;
    std::vector<std::string> results(4);
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            ComPtr<IPrintReadStream> read;
            image->GetStream(read.Out());
            results[t] = ReadRest(read.Get(), 1000 + 17 * t);
        });
    }
    for (std::thread& reader : readers) reader.join();
    for (const std::string& result : results) EXPECT_EQ(result, content);
}

}  // namespace
}  // namespace tav::host
