// The page-rewriting procedure: streams obtained, closed and released on
// every path, failures reported, output into other streams.
#include <gtest/gtest.h>

#include <string>

#include "filtercore/copy_page_writer.h"
#include "markup_test_support.h"
#include "platform/xml.h"
#include "testsupport/parts.h"

namespace {

using namespace markuptest;
using namespace testsupport;

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

class PageRewriteTest : public ::testing::Test {
    ComApartment com_;
};

MarkupWriterFactory Copying()
{
    return [](IPrintWriteStream* stream) { return new CopyPageWriter(stream); };
}

TEST_F(PageRewriteTest, ReplacesThePageMarkupAndClosesTheStreamOnce)
{
    Rewritten page = Copy("<FixedPage Width=\"816\" Height=\"1056\">  <Path Data=\"M 0,0\" /> </FixedPage>");
    EXPECT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup,
              kDeclaration + "<FixedPage Width=\"816\" Height=\"1056\"><Path Data=\"M 0,0\"/></FixedPage>");
    EXPECT_EQ(page.writeSizes.size(), 1u);
    EXPECT_EQ(page.closeCount, 1);
}

TEST_F(PageRewriteTest, ReportsAMalformedPageAndStillClosesTheStreamOnce)
{
    for (const char* markup : {"<FixedPage><Path></FixedPage>", "", "<FixedPage Width=\"1\" Width=\"2\"/>",
                               "<!DOCTYPE FixedPage [<!ENTITY e \"x\">]><FixedPage Name=\"&e;\"/>"}) {
        Rewritten page = Copy(markup);
        EXPECT_TRUE(FAILED(page.result)) << markup;
        EXPECT_EQ(page.closeCount, 1) << markup;
    }
    EXPECT_EQ(Copy("<FixedPage><Path></FixedPage>").result, XML_E_PARSE_FAILED);
    EXPECT_EQ(Copy("<!DOCTYPE FixedPage><FixedPage/>").result, XML_E_DTD_PROHIBITED);
}

TEST_F(PageRewriteTest, ReportsAWriterThatCannotBeMadeAndClosesTheStream)
{
    Rewritten none = Rewrite("<FixedPage/>", [](IPrintWriteStream*) -> MarkupWriter* { return nullptr; });
    EXPECT_EQ(none.result, E_OUTOFMEMORY);
    EXPECT_EQ(none.closeCount, 1);
    Rewritten raising =
        Rewrite("<FixedPage/>", [](IPrintWriteStream*) -> MarkupWriter* { throw CXDException(E_ACCESSDENIED); });
    EXPECT_EQ(raising.result, E_ACCESSDENIED);
    EXPECT_EQ(raising.closeCount, 1);
}

TEST(PageRewrite, ReportsThatTheReaderCannotBeMadeWithoutCom)
{
    // No apartment on this thread: the SAX reader cannot be created.
    Rewritten page = Copy("<FixedPage/>");
    EXPECT_EQ(page.result, CO_E_NOTINITIALIZED);
    EXPECT_EQ(page.closeCount, 1);
}

TEST_F(PageRewriteTest, RefusesNullArguments)
{
    auto page = MakePart<FixedPagePart>(u"/1.fpage", "<FixedPage/>");
    EXPECT_EQ(RewriteFixedPage(nullptr, Copying()), E_POINTER);
    EXPECT_EQ(RewriteFixedPage(page.Get(), nullptr), E_POINTER);
    EXPECT_EQ(page->ContentState().CloseCount(), 1);
    EXPECT_EQ(WritePageMarkup(page.Get(), nullptr, Copying()), E_POINTER);
    EXPECT_EQ(ParsePageMarkup(page.Get(), nullptr), E_POINTER);
}

// Refuses every write.
class RefusingStream final : public ComObject<IPrintWriteStream> {
public:
    HRESULT WriteBytes(const void*, ULONG, ULONG*) override { return STG_E_MEDIUMFULL; }
    void Close() override { ++closes; }
    int closes = 0;

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintWriteStream ? static_cast<IPrintWriteStream*>(this) : nullptr;
    }
};

TEST_F(PageRewriteTest, ReportsAFailingLastWrite)
{
    auto page = MakePart<FixedPagePart>(u"/1.fpage", "<FixedPage Width=\"1\"/>");
    auto stream = ComPtr<RefusingStream>::Adopt(new RefusingStream);
    EXPECT_EQ(WritePageMarkup(page.Get(), stream.Get(), Copying()), STG_E_MEDIUMFULL);
    EXPECT_EQ(stream->closes, 1);
    EXPECT_EQ(page->Content(), "<FixedPage Width=\"1\"/>");
}

TEST_F(PageRewriteTest, StreamsSeveralPagesIntoOneOpenStream)
{
    // As a sheet receives its cells: the stream stays open between pages.
    auto first = MakePart<FixedPagePart>(u"/1.fpage", "<FixedPage><Path Data=\"1\"/></FixedPage>");
    auto second = MakePart<FixedPagePart>(u"/2.fpage", "<FixedPage><Path Data=\"2\"/></FixedPage>");
    auto sheet = std::make_shared<PartContent>();
    ComPtr<IPrintWriteStream> stream;
    ASSERT_EQ(OpenWriteStream(sheet, stream.Out()), S_OK);
    EXPECT_EQ(StreamPageMarkup(first.Get(), stream.Get(), Copying()), S_OK);
    EXPECT_EQ(StreamPageMarkup(second.Get(), stream.Get(), Copying()), S_OK);
    EXPECT_EQ(sheet->CloseCount(), 0);
    EXPECT_EQ(sheet->WriteSizes().size(), 2u);
    stream->Close();
    EXPECT_EQ(sheet->Bytes(), kDeclaration + "<FixedPage><Path Data=\"1\"/></FixedPage>" + kDeclaration +
                                  "<FixedPage><Path Data=\"2\"/></FixedPage>");
    // The source pages are read, never changed.
    EXPECT_EQ(first->Content(), "<FixedPage><Path Data=\"1\"/></FixedPage>");
    EXPECT_EQ(first->ContentState().CloseCount(), 0);
}

TEST_F(PageRewriteTest, WritesOnePagesMarkupIntoANewPart)
{
    auto source = MakePart<FixedPagePart>(u"/1.fpage", "<FixedPage Width=\"5\"><Path/></FixedPage>");
    ComPtr<IFixedPage> created;
    ComPtr<IPrintWriteStream> stream;
    ASSERT_EQ(CreateEmptyPart(u"/Pad_page_1_2.xaml", IID_IFixedPage, created.OutVoid(), stream.Out()), S_OK);
    EXPECT_EQ(WritePageMarkup(source.Get(), stream.Get(), Copying()), S_OK);
    EXPECT_EQ(AsTestPart(created.Get())->Content(), kDeclaration + "<FixedPage Width=\"5\"><Path/></FixedPage>");
    EXPECT_EQ(AsTestPart(created.Get())->ContentState().CloseCount(), 1);
}

TEST_F(PageRewriteTest, ReadsThePageInSmallBlocks)
{
    std::string markup = "<FixedPage Width=\"816\" Height=\"1056\">";
    std::string expected = kDeclaration + markup;
    for (int i = 0; i < 200; ++i) {
        std::string path = "<Path Data=\"M " + std::to_string(i) + ",0 L 1,1\"/>";
        markup += "\n  " + path;
        expected += path;
    }
    markup += "</FixedPage>";
    expected += "</FixedPage>";
    auto page = MakePart<FixedPagePart>(u"/1.fpage", markup);
    page->ContentState().SetReadBlockSize(7);
    EXPECT_EQ(RewriteFixedPage(page.Get(), Copying()), S_OK);
    EXPECT_EQ(page->Content(), expected);
}

}  // namespace
