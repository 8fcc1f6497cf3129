// Hostile markup: DOCTYPEs, entity expansion, external references, deep
// nesting and truncation are refused cleanly by both parsers.
#include <fstream>

#include "platform/start_tag_scanner.h"
#include "xml_test_support.h"

namespace {

using namespace xmltest;

class XmlSecurity : public ComTest {
protected:
    HRESULT Parse(const std::string& markup, size_t* elements = nullptr)
    {
        struct Counter final : ComObject<ISAXContentHandler> {
            size_t elements = 0;
            std::string text;
            HRESULT putDocumentLocator(ISAXLocator*) override { return S_OK; }
            HRESULT startDocument() override { return S_OK; }
            HRESULT endDocument() override { return S_OK; }
            HRESULT startPrefixMapping(const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
            HRESULT endPrefixMapping(const WCHAR*, int) override { return S_OK; }
            HRESULT startElement(const WCHAR*, int, const WCHAR*, int, const WCHAR*, int, ISAXAttributes*) override
            {
                ++elements;
                return S_OK;
            }
            HRESULT endElement(const WCHAR*, int, const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
            HRESULT characters(const WCHAR* chars, int length) override
            {
                text += WideToUtf8(chars, static_cast<size_t>(length));
                return S_OK;
            }
            HRESULT ignorableWhitespace(const WCHAR*, int) override { return S_OK; }
            HRESULT processingInstruction(const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
            HRESULT skippedEntity(const WCHAR*, int) override { return S_OK; }
            void* InterfaceFor(REFIID riid) override
            {
                return riid == IID_ISAXContentHandler ? static_cast<ISAXContentHandler*>(this) : nullptr;
            }
        };
        auto counter = ComPtr<Counter>::Adopt(new Counter);
        ComPtr<ISAXXMLReader> reader;
        EXPECT_EQ(CoCreateInstance(CLSID_SAXXMLReader60, nullptr, CLSCTX_ALL, IID_ISAXXMLReader, reader.OutVoid()),
                  S_OK);
        reader->putContentHandler(counter.Get());
        auto stream = ComPtr<ChunkedStream>::Adopt(new ChunkedStream(markup, 1u << 16));
        HRESULT hr = reader->parse(UnknownVariant(stream.Get()));
        if (elements != nullptr) *elements = counter->elements;
        lastText_ = counter->text;
        return hr;
    }
    bool LoadsIntoDom(const std::string& markup)
    {
        VARIANT_BOOL loaded = VARIANT_TRUE;
        ComPtr<IXMLDOMDocument2> document = LoadDocument(markup, &loaded);
        ComPtr<IXMLDOMElement> root;
        HRESULT rootResult = document->get_documentElement(root.Out());
        EXPECT_EQ(loaded == VARIANT_TRUE, rootResult == S_OK) << "a failed load leaves the document empty";
        return loaded == VARIANT_TRUE;
    }
    std::string lastText_;
};

TEST_F(XmlSecurity, AnyDoctypeIsRefusedBeforeItIsUsed)
{
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) laughs += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
        laughs += "\">";
    }
    laughs += "]><lolz>&lol9;</lolz>";

    // An external entity naming a file that exists: nothing of it may appear.
    const std::string secretPath = ::testing::TempDir() + "tav_xml_secret.txt";
    std::ofstream(secretPath) << "SECRET";
    const std::string external = "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secretPath + "\">]><r>&x;</r>";

    const std::vector<std::string> doctypes = {
        laughs,
        external,
        "<!DOCTYPE r SYSTEM \"http://127.0.0.1:9/never.dtd\"><r/>",
        "<!DOCTYPE r PUBLIC \"-//x//y\" \"file://" + secretPath + "\"><r/>",
        "<!DOCTYPE r><r/>",
        "\xEF\xBB\xBF<!-- c --><!DOCTYPE r [<!ATTLIST r a CDATA \"default\">]><r/>",
    };
    for (const std::string& markup : doctypes) {
        size_t elements = 99;
        EXPECT_EQ(Parse(markup, &elements), XML_E_DTD_PROHIBITED) << markup.substr(0, 60);
        EXPECT_EQ(elements, 0u);
        EXPECT_EQ(lastText_.find("SECRET"), std::string::npos);
        EXPECT_FALSE(LoadsIntoDom(markup));
    }
    // Without a DOCTYPE the same reference is an undeclared entity.
    EXPECT_EQ(Parse("<r>&x;</r>"), XML_E_PARSE_FAILED);
    std::remove(secretPath.c_str());
}

TEST_F(XmlSecurity, NestingIsBounded)
{
    auto nested = [](int depth) {
        std::string markup;
        for (int i = 0; i < depth; ++i) markup += "<e>";
        for (int i = 0; i < depth; ++i) markup += "</e>";
        return markup;
    };
    size_t elements = 0;
    // The SAX reader, which the filters read pages with, leaves 64 levels
    // for the Canvas elements the filters of a chain add to a page as deep as
    // the input may be; documents loaded into a DOM keep the input's 256.
    EXPECT_EQ(Parse(nested(320), &elements), S_OK);
    EXPECT_EQ(elements, 320u);
    EXPECT_EQ(Parse(nested(321), &elements), XML_E_LIMIT_EXCEEDED);
    EXPECT_EQ(elements, 320u);
    EXPECT_EQ(Parse(nested(100000)), XML_E_LIMIT_EXCEEDED);
    EXPECT_TRUE(LoadsIntoDom(nested(256)));
    EXPECT_FALSE(LoadsIntoDom(nested(257)));
}

TEST_F(XmlSecurity, OversizedDocumentsAreRefusedByTheDom)
{
    std::string big = "<r>";
    big.append(33u << 20, 'x');
    big += "</r>";
    EXPECT_FALSE(LoadsIntoDom(big));
    // The streaming reader has no such bound.
    EXPECT_EQ(Parse(big), S_OK);
    EXPECT_EQ(lastText_.size(), 33u << 20);
}

TEST_F(XmlSecurity, TruncatedMarkupFailsAtEveryLength)
{
    const std::string page =
        "<?xml version=\"1.0\"?><FixedPage xmlns=\"urn:p\" Width=\"816\"><Path Data=\"M 0,0\"/>"
        "<Glyphs UnicodeString=\"a&amp;b\">text</Glyphs></FixedPage>";
    for (size_t length = 0; length < page.size(); ++length) {
        EXPECT_EQ(Parse(page.substr(0, length)), XML_E_PARSE_FAILED) << length;
        EXPECT_FALSE(LoadsIntoDom(page.substr(0, length))) << length;
    }
    EXPECT_EQ(Parse(page), S_OK);
}

}  // namespace

namespace {

using namespace xmltest;

std::string ManyAttributes(size_t count, const std::string& value)
{
    std::string markup = "<r";
    for (size_t i = 0; i < count; ++i) markup += " a" + std::to_string(i) + "=\"" + value + "\"";
    return markup + "/>";
}

std::string AsUtf16(const std::string& utf8)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : Utf8ToWide(utf8)) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TEST_F(XmlSecurity, AttributeCountsAreBoundedBeforeParsing)
{
    // Values, comments and sections full of '=' count for nothing.
    std::string equals(5000, '=');
    std::string busy = "<!--" + equals + "--><?pi " + equals + "?><r><![CDATA[" + equals + "]]>" + equals + "</r>";
    EXPECT_EQ(Parse(busy), S_OK);
    EXPECT_EQ(Parse(ManyAttributes(4096, "x=y>z'")), S_OK);
    EXPECT_EQ(Parse(ManyAttributes(4097, "1")), XML_E_LIMIT_EXCEEDED);
    EXPECT_EQ(Parse(AsUtf16(ManyAttributes(4096, "\xE3\xB4\xBD"))), S_OK);  // U+3D3D: not an '=' in UTF-16
    EXPECT_EQ(Parse(AsUtf16(ManyAttributes(4097, "1"))), XML_E_LIMIT_EXCEEDED);
    EXPECT_FALSE(LoadsIntoDom(ManyAttributes(4097, "1")));
    // A start tag far beyond the bound is refused without quadratic work.
    EXPECT_EQ(Parse(ManyAttributes(300000, "")), XML_E_LIMIT_EXCEEDED);
}

// The scan keeps its place across the blocks markup arrives in, wherever
// they split it: inside a tag, a value, an end tag or a comment.
TEST(StartTagScan, CountsTheSameInBlocksOfAnySize)
{
    const std::string before =
        "<?xml version=\"1.0\"?><!-- a=b > c --><p:r xmlns:p=\"urn:p\"><a k='x=\">y' l = \"'>\"/>"
        "<b>t=u</b ><?pi a=b?><![CDATA[<c d=e>]]></p:r>";
    for (size_t count : {4096u, 4097u}) {
        const std::string markup = before + ManyAttributes(count, "=>'");
        for (size_t block = 1; block <= 7; ++block) {
            tav::xml::StartTagScanner scanner;
            bool accepted = true;
            for (size_t at = 0; at < markup.size() && accepted; at += block) {
                size_t n = std::min(block, markup.size() - at);
                accepted = scanner.Scan(reinterpret_cast<const unsigned char*>(markup.data() + at), n);
            }
            EXPECT_EQ(accepted, count == 4096u) << count << " in blocks of " << block;
        }
    }
}

}  // namespace

namespace {

using namespace xmltest;

// Delivers some markup, then fails.
class FailingStream final : public ComObject<ISequentialStream> {
public:
    HRESULT Read(void* buffer, ULONG count, ULONG* read) override
    {
        if (read != nullptr) *read = 0;
        if (served_) return STG_E_READFAULT;
        served_ = true;
        static const char kStart[] = "<r><a/>";
        ULONG n = std::min<ULONG>(count, sizeof kStart - 1);
        std::memcpy(buffer, kStart, n);
        if (read != nullptr) *read = n;
        return S_OK;
    }
    HRESULT Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_ISequentialStream ? static_cast<ISequentialStream*>(this) : nullptr;
    }
    bool served_ = false;
};

TEST_F(XmlSecurity, ReadFailuresAreReturned)
{
    auto stream = ComPtr<FailingStream>::Adopt(new FailingStream);
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<old/>");
    VARIANT_BOOL loaded = VARIANT_TRUE;
    EXPECT_EQ(document->load(UnknownVariant(stream.Get()), &loaded), STG_E_READFAULT);
    EXPECT_EQ(loaded, VARIANT_FALSE);
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(document->get_documentElement(root.Out()), S_FALSE);

    auto again = ComPtr<FailingStream>::Adopt(new FailingStream);
    ComPtr<ISAXXMLReader> reader;
    ASSERT_EQ(CoCreateInstance(CLSID_SAXXMLReader60, nullptr, CLSCTX_ALL, IID_ISAXXMLReader, reader.OutVoid()), S_OK);
    EXPECT_EQ(reader->parse(UnknownVariant(again.Get())), STG_E_READFAULT);
}

}  // namespace

namespace {

using namespace xmltest;

TEST_F(XmlSecurity, EncodingErrorsFailQuietly)
{
    // A lone surrogate in UTF-16, and bytes that are no ISO-2022-JP.
    const std::string loneSurrogate("\xFF\xFE<\0r\0>\0\x00\xD8<\0/\0r\0>\0", 18);
    const std::string badJis = "<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><r>\x1b$B\xFF\xFF</r>";
    const std::string unknown = "<?xml version=\"1.0\" encoding=\"no-such-encoding\"?><r/>";
    for (const std::string& markup : {loneSurrogate, badJis, unknown}) {
        ::testing::internal::CaptureStderr();
        HRESULT parsed = Parse(markup);
        bool loaded = LoadsIntoDom(markup);
        std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(parsed, XML_E_PARSE_FAILED);
        EXPECT_FALSE(loaded);
        EXPECT_EQ(printed, "") << "libxml2 errors must not reach stderr";
    }
}

}  // namespace
