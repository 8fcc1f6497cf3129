// PageWriterBase: the conventions every page writer shares, checked on
// rewritten pages, and the hooks derived writers change pages with.
#include <gtest/gtest.h>

#include <string>

#include "filtercore/copy_page_writer.h"
#include "markup_test_support.h"

namespace {

using namespace markuptest;

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
const std::string kXps = "http://schemas.microsoft.com/xps/2005/06";
const std::string kKeys = "http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key";

class PageWriterTest : public ::testing::Test {
    ComApartment com_;
};

TEST_F(PageWriterTest, CopiesElementsAndAttributesButNoTextCommentsOrByteOrderMark)
{
    Rewritten page = Copy(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- a comment -->\r\n"
        "<FixedPage Width=\"10\" Height=\"20\" xmlns=\"" +
        kXps +
        "\">\n"
        "  <Canvas Opacity=\"0.5\">\n    <Path Data=\"M 0,0 L 1,1\" />\n  </Canvas>\n"
        "  <?target data?>\n  <Path Data=\"x\"></Path>\n</FixedPage>\n");
    ASSERT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup, kDeclaration + "<FixedPage Width=\"10\" Height=\"20\" xmlns=\"" + kXps +
                               "\"><Canvas Opacity=\"0.5\"><Path Data=\"M 0,0 L 1,1\"/></Canvas><Path Data=\"x\"/>"
                               "</FixedPage>");
    EXPECT_EQ(page.writeSizes.size(), 1u);
    EXPECT_EQ(page.closeCount, 1);
}

TEST_F(PageWriterTest, AChildlessPageIsSelfClosed)
{
    Rewritten page = Copy("<FixedPage Width=\"816\" Height=\"1056\" xmlns=\"" + kXps + "\"></FixedPage>");
    ASSERT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup, kDeclaration + "<FixedPage Width=\"816\" Height=\"1056\" xmlns=\"" + kXps + "\"/>");
}

TEST_F(PageWriterTest, AttributeValuesWithMarkupCharactersSurviveARewrite)
{
    Rewritten page = Copy("<FixedPage xmlns=\"" + kXps + "\" xmlns:x=\"" + kKeys +
                          "\" Width=\"816\" Height=\"1056\">"
                          "<Canvas Name=\"a&amp;b\" FixedPage.NavigateUri=\"http://example.com/?a=1&amp;b=&lt;2&gt;\">"
                          "<Glyphs UnicodeString=\"&quot;Q&apos; &#xa9; &amp;lt;\" Indices=\"a&#xA;b&#9;c\"/>"
                          "<Path x:Key=\"k&lt;1\" Data='say \"hi\"'/></Canvas></FixedPage>");
    ASSERT_EQ(page.result, S_OK);
    XmlDoc doc = ParseXml(page.markup);
    ASSERT_TRUE(doc) << page.markup;
    xmlNode* root = xmlDocGetRootElement(doc.get());
    xmlNode* canvas = FindElement(root, "Canvas");
    EXPECT_EQ(AttributeValue(canvas, "Name"), "a&b");
    EXPECT_EQ(AttributeValue(canvas, "FixedPage.NavigateUri"), "http://example.com/?a=1&b=<2>");
    xmlNode* glyphs = FindElement(root, "Glyphs");
    EXPECT_EQ(AttributeValue(glyphs, "UnicodeString"), "\"Q' \xC2\xA9 &lt;");
    EXPECT_EQ(AttributeValue(glyphs, "Indices"), "a\nb\tc");
    xmlNode* path = FindElement(root, "Path");
    EXPECT_EQ(AttributeValue(path, "Key", kKeys.c_str()), "k<1");
    EXPECT_EQ(AttributeValue(path, "Data"), "say \"hi\"");
    // The copyright sign is written as the character, in UTF-8.
    EXPECT_NE(page.markup.find("UnicodeString=\"&quot;Q&apos; \xC2\xA9 &amp;lt;\""), std::string::npos);
}

TEST_F(PageWriterTest, CarriesThePagesNamespaceDeclarations)
{
    Rewritten page = Copy("<FixedPage xmlns=\"" + kXps + "\" xmlns:x=\"" + kKeys +
                          "\" xml:lang=\"en-us\" Width=\"816\" Height=\"1056\"><Path x:Key=\"p\"/></FixedPage>");
    ASSERT_EQ(page.result, S_OK);
    XmlDoc doc = ParseXml(page.markup);
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    ASSERT_NE(root->ns, nullptr);
    EXPECT_EQ(reinterpret_cast<const char*>(root->ns->href), kXps);
    xmlNode* path = FindElement(root, "Path");
    EXPECT_EQ(reinterpret_cast<const char*>(path->ns->href), kXps);
    EXPECT_EQ(AttributeValue(path, "Key", kKeys.c_str()), "p");
    EXPECT_EQ(AttributeValue(root, "lang", "http://www.w3.org/XML/1998/namespace"), "en-us");
}

const std::string kPageWithResources =
    "<FixedPage Width=\"816\" Height=\"1056\" xmlns=\"" + kXps +
    "\">"
    "<FixedPage.Resources><ResourceDictionary Source=\"/r.dict\"/></FixedPage.Resources>"
    "<Canvas><FixedPage.Resources/></Canvas><Path Data=\"M 0,0\"/></FixedPage>";

TEST_F(PageWriterTest, AWrappingWriterGivesThePagesResourcesToItsCanvas)
{
    Rewritten page = Rewrite(kPageWithResources, CanvasWrapping(u"1,0,0,1,5,0"));
    ASSERT_EQ(page.result, S_OK);
    // Only the FixedPage's own resources are renamed; the misplaced element
    // inside the Canvas is copied as it is.
    EXPECT_EQ(page.markup, kDeclaration + "<FixedPage Width=\"816\" Height=\"1056\" xmlns=\"" + kXps +
                               "\"><Canvas RenderTransform=\"1,0,0,1,5,0\"><Canvas.Resources>"
                               "<ResourceDictionary Source=\"/r.dict\"/></Canvas.Resources>"
                               "<Canvas><FixedPage.Resources/></Canvas><Path Data=\"M 0,0\"/></Canvas></FixedPage>");
}

TEST_F(PageWriterTest, ThePageIsToldByItsNamespaceWhateverItsPrefix)
{
    Rewritten page = Rewrite("<x:FixedPage Width=\"816\" Height=\"1056\" xmlns:x=\"" + kXps +
                                 "\">"
                                 "<x:FixedPage.Resources><x:ResourceDictionary/></x:FixedPage.Resources>"
                                 "<x:Path Data=\"M 0,0\"/></x:FixedPage>",
                             CanvasWrapping(u"1,0,0,1,5,0"));
    ASSERT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup, kDeclaration + "<x:FixedPage Width=\"816\" Height=\"1056\" xmlns:x=\"" + kXps +
                               "\"><x:Canvas RenderTransform=\"1,0,0,1,5,0\"><x:Canvas.Resources>"
                               "<x:ResourceDictionary/></x:Canvas.Resources><x:Path Data=\"M 0,0\"/></x:Canvas>"
                               "</x:FixedPage>");
    XmlDoc doc = ParseXml(page.markup);
    ASSERT_TRUE(doc);
    xmlNode* canvas = FindElement(xmlDocGetRootElement(doc.get()), "Canvas");
    ASSERT_TRUE(canvas != nullptr && canvas->ns != nullptr);
    EXPECT_EQ(reinterpret_cast<const char*>(canvas->ns->href), kXps);

    // An element of that name in another namespace is no page: it is copied.
    page = Rewrite("<FixedPage xmlns=\"urn:other\" Width=\"1\"/>", CanvasWrapping(u"1,0,0,1,5,0"));
    ASSERT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup, kDeclaration + "<FixedPage xmlns=\"urn:other\" Width=\"1\"/>");
}

TEST_F(PageWriterTest, AWrappingWriterClosesItsCanvasOnAnEmptyPage)
{
    Rewritten page = Rewrite("<FixedPage Width=\"1\" Height=\"2\"/>", CanvasWrapping(u"1,0,0,1,5,0"));
    ASSERT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup, kDeclaration +
                               "<FixedPage Width=\"1\" Height=\"2\"><Canvas RenderTransform=\"1,0,0,1,5,0\">"
                               "</Canvas></FixedPage>");
}

// Changes the size, drops the content box and draws under and over the
// content; the resources get a Canvas of their own.
class DecoratingWriter final : public PageWriterBase {
public:
    explicit DecoratingWriter(IPrintWriteStream* stream) : PageWriterBase(stream, {ResourcesElement::RenameInOwnCanvas})
    {
    }

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override
    {
        CopyStartTag(markup, u"FixedPage", attributes,
                     [](std::u16string_view name, std::u16string_view value) -> std::optional<std::u16string_view> {
                         if (name == u"Width") return u"100.00";
                         if (name == u"ContentBox") return std::nullopt;
                         return value;
                     });
        EndStartTag(markup);
        markup += u"<Path Data=\"under\"/>";
        return S_OK;
    }
    HRESULT EndFixedPage(std::u16string& markup) override
    {
        markup += u"<Path Data=\"over\"/>";
        CloseElement(markup, u"FixedPage");
        return S_OK;
    }
};

TEST_F(PageWriterTest, ADecoratingWriterEditsTheStartTagAndPutsTheResourcesInACanvasOfTheirOwn)
{
    Rewritten page = Rewrite(
        "<FixedPage Width=\"816\" ContentBox=\"0,0,1,1\" Height=\"1056\">"
        "<FixedPage.Resources><ResourceDictionary/></FixedPage.Resources>"
        "<Canvas><Canvas.Resources/><Path Data=\"content\"/></Canvas></FixedPage>",
        [](IPrintWriteStream* stream) { return new DecoratingWriter(stream); });
    ASSERT_EQ(page.result, S_OK);
    // The resources of a Canvas in the content are its own and stay as they are.
    EXPECT_EQ(page.markup, kDeclaration +
                               "<FixedPage Width=\"100.00\" Height=\"1056\"><Path Data=\"under\"/>"
                               "<Canvas><Canvas.Resources><ResourceDictionary/></Canvas.Resources>"
                               "<Canvas><Canvas.Resources/><Path Data=\"content\"/></Canvas></Canvas>"
                               "<Path Data=\"over\"/></FixedPage>");

    // Without resources of its own the page gets no extra Canvas.
    page = Rewrite("<FixedPage Width=\"816\"><Canvas><Canvas.Resources/></Canvas></FixedPage>",
                   [](IPrintWriteStream* stream) { return new DecoratingWriter(stream); });
    ASSERT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup, kDeclaration +
                               "<FixedPage Width=\"100.00\"><Path Data=\"under\"/>"
                               "<Canvas><Canvas.Resources/></Canvas><Path Data=\"over\"/></FixedPage>");
}

// Keeps only the FixedPage element: a blank page of the same size.
class BlankPageWriter final : public PageWriterBase {
public:
    explicit BlankPageWriter(IPrintWriteStream* stream) : PageWriterBase(stream, {.copyContent = false}) {}
};

TEST_F(PageWriterTest, AWriterThatLeavesTheContentOutWritesTheFixedPageAlone)
{
    Rewritten page = Rewrite(kPageWithResources, [](IPrintWriteStream* stream) { return new BlankPageWriter(stream); });
    ASSERT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup, kDeclaration + "<FixedPage Width=\"816\" Height=\"1056\" xmlns=\"" + kXps + "\"/>");
}

// Remembers the frame the base read from the FixedPage start tag.
class FrameRecorder final : public PageWriterBase {
public:
    FrameRecorder(IPrintWriteStream* stream, FixedPageFrame* frame) : PageWriterBase(stream, {}), frame_(frame) {}

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override
    {
        *frame_ = Frame();
        return PageWriterBase::StartFixedPage(markup, attributes);
    }

private:
    FixedPageFrame* frame_;
};

FixedPageFrame FrameOf(const std::string& markup)
{
    FixedPageFrame frame;
    frame.width = -1;
    Rewritten page = Rewrite(markup, [&](IPrintWriteStream* stream) { return new FrameRecorder(stream, &frame); });
    EXPECT_EQ(page.result, S_OK);
    return frame;
}

TEST_F(PageWriterTest, ReadsThePageSizeAndBoxesFromTheFixedPage)
{
    FixedPageFrame frame = FrameOf(
        "<FixedPage Width=\"816.5\" Height=\"1056\" BleedBox=\"-10,-10,836.5,1076\" ContentBox=\"10,,20\">"
        "<Canvas Width=\"1\" ContentBox=\"1,1,1,1\"/></FixedPage>");
    EXPECT_FLOAT_EQ(frame.width, 816.5f);
    EXPECT_FLOAT_EQ(frame.height, 1056);
    ASSERT_TRUE(frame.bleedBox);
    EXPECT_FLOAT_EQ(frame.bleedBox->X, -10);
    EXPECT_FLOAT_EQ(frame.bleedBox->Width, 836.5f);
    EXPECT_FLOAT_EQ(frame.bleedBox->Height, 1076);
    ASSERT_TRUE(frame.contentBox);
    EXPECT_FLOAT_EQ(frame.contentBox->X, 10);
    EXPECT_FLOAT_EQ(frame.contentBox->Y, 20);
    EXPECT_FLOAT_EQ(frame.contentBox->Width, 0);
    EXPECT_FLOAT_EQ(frame.contentBox->Height, 0);

    frame = FrameOf("<FixedPage Height=\"wide\"/>");
    EXPECT_FLOAT_EQ(frame.width, 0);
    EXPECT_FLOAT_EQ(frame.height, 0);
    EXPECT_FALSE(frame.contentBox);
    EXPECT_FALSE(frame.bleedBox);
}

// Fails in StartFixedPage, after writing some text.
class FailingStartWriter final : public PageWriterBase {
public:
    explicit FailingStartWriter(IPrintWriteStream* stream) : PageWriterBase(stream, {}) {}

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override
    {
        PageWriterBase::StartFixedPage(markup, attributes);
        return E_FAIL;
    }
};

TEST_F(PageWriterTest, AFailingHookStopsTheParseAndItsTextIsNotWritten)
{
    Rewritten page = Rewrite("<FixedPage Width=\"1\"><Path/></FixedPage>",
                             [](IPrintWriteStream* stream) { return new FailingStartWriter(stream); });
    EXPECT_EQ(page.result, E_FAIL);
    EXPECT_EQ(page.markup, kDeclaration);
    EXPECT_EQ(page.closeCount, 1);
}

// Counts the elements it is given and fails at the second.
class CountingWriter final : public PageWriterBase {
public:
    CountingWriter(IPrintWriteStream* stream, int* count) : PageWriterBase(stream, {}), count_(count) {}
    HRESULT startElement(const WCHAR* uri, int uriLength, const WCHAR* localName, int localNameLength,
                         const WCHAR* qName, int qNameLength, ISAXAttributes* attributes) override
    {
        if (++*count_ == 2) return E_FAIL;
        return PageWriterBase::startElement(uri, uriLength, localName, localNameLength, qName, qNameLength, attributes);
    }

private:
    int* count_;
};

TEST_F(PageWriterTest, AHandlerFailureEndsTheParse)
{
    int count = 0;
    Rewritten page = Rewrite("<FixedPage><Path/><Path/><Path/></FixedPage>",
                             [&](IPrintWriteStream* stream) { return new CountingWriter(stream, &count); });
    EXPECT_EQ(page.result, E_FAIL);
    EXPECT_EQ(count, 2);
    // What came before the failure is still written by the writer's destructor.
    EXPECT_EQ(page.markup, kDeclaration + "<FixedPage");
    EXPECT_EQ(page.closeCount, 1);
}

TEST_F(PageWriterTest, ARootOtherThanFixedPageIsCopiedAsItIs)
{
    Rewritten page = Copy("<Canvas xmlns=\"" + kXps + "\"><FixedPage Width=\"1\"/></Canvas>");
    ASSERT_EQ(page.result, S_OK);
    EXPECT_EQ(page.markup, kDeclaration + "<Canvas xmlns=\"" + kXps + "\"><FixedPage Width=\"1\"/></Canvas>");
}

}  // namespace
