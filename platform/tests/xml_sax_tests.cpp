// The SAX reader: events, attribute order with namespace declarations,
// unescaping, block-wise reading, handler failures and input encodings.
#include <thread>

#include "name_table.h"
#include "text.h"
#include "xml_test_support.h"

namespace {

using namespace xmltest;
using tav::xml::NameTable;
using tav::xml::WideName;
using tav::xml::XmlName;

std::string Utf8(const WCHAR* text, int length) { return WideToUtf8(text, static_cast<size_t>(length)); }

// Records every event as a line of text; can fail at a chosen event.
class RecordingHandler final : public ComObject<ISAXContentHandler> {
public:
    std::vector<std::string> events;
    size_t failAt = static_cast<size_t>(-1);
    HRESULT failure = MakeHresult(0x80041234u);

    HRESULT putDocumentLocator(ISAXLocator* locator) override
    {
        return Record("locator", locator != nullptr ? "set" : "null");
    }
    HRESULT startDocument() override { return Record("startDocument"); }
    HRESULT endDocument() override { return Record("endDocument"); }
    HRESULT startPrefixMapping(const WCHAR* prefix, int prefixLength, const WCHAR* uri, int uriLength) override
    {
        return Record("startPrefix", Utf8(prefix, prefixLength) + "=" + Utf8(uri, uriLength));
    }
    HRESULT endPrefixMapping(const WCHAR* prefix, int length) override
    {
        return Record("endPrefix", Utf8(prefix, length));
    }
    HRESULT startElement(const WCHAR* uri, int uriLength, const WCHAR* local, int localLength, const WCHAR* qName,
                         int qNameLength, ISAXAttributes* attributes) override
    {
        std::string line = "{" + Utf8(uri, uriLength) + "}" + Utf8(local, localLength) + " " + Utf8(qName, qNameLength);
        int count = 0;
        attributes->getLength(&count);
        for (int i = 0; i < count; ++i) {
            const WCHAR *aUri, *aLocal, *aQName, *value;
            int aUriLength, aLocalLength, aQNameLength, valueLength;
            attributes->getName(i, &aUri, &aUriLength, &aLocal, &aLocalLength, &aQName, &aQNameLength);
            attributes->getValue(i, &value, &valueLength);
            line += " [" + Utf8(aQName, aQNameLength) + " {" + Utf8(aUri, aUriLength) + "}" +
                    Utf8(aLocal, aLocalLength) + "=" + Utf8(value, valueLength) + "]";
        }
        return Record("start", line);
    }
    HRESULT endElement(const WCHAR* uri, int uriLength, const WCHAR* local, int localLength, const WCHAR* qName,
                       int qNameLength) override
    {
        return Record("end",
                      "{" + Utf8(uri, uriLength) + "}" + Utf8(local, localLength) + " " + Utf8(qName, qNameLength));
    }
    HRESULT characters(const WCHAR* text, int length) override
    {
        // Text may come in pieces: join adjacent ones so logs compare.
        if (!events.empty() && events.back().rfind("text ", 0) == 0) {
            events.back() += Utf8(text, length);
            return S_OK;
        }
        return Record("text", Utf8(text, length));
    }
    HRESULT ignorableWhitespace(const WCHAR* text, int length) override { return Record("space", Utf8(text, length)); }
    HRESULT processingInstruction(const WCHAR* target, int targetLength, const WCHAR* data, int dataLength) override
    {
        return Record("pi", Utf8(target, targetLength) + " " + Utf8(data, dataLength));
    }
    HRESULT skippedEntity(const WCHAR* name, int length) override { return Record("skipped", Utf8(name, length)); }

    size_t Count(const std::string& kind) const
    {
        size_t n = 0;
        for (const std::string& e : events) n += e.rfind(kind, 0) == 0;
        return n;
    }

private:
    HRESULT Record(const std::string& kind, const std::string& detail = "")
    {
        events.push_back(detail.empty() ? kind : kind + " " + detail);
        return events.size() - 1 == failAt ? failure : S_OK;
    }
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_ISAXContentHandler ? static_cast<ISAXContentHandler*>(this) : nullptr;
    }
};

class Sax : public ComTest {
protected:
    ComPtr<ISAXXMLReader> NewReader(RecordingHandler* handler)
    {
        ComPtr<ISAXXMLReader> reader;
        EXPECT_EQ(CoCreateInstance(CLSID_SAXXMLReader60, nullptr, CLSCTX_ALL, IID_ISAXXMLReader, reader.OutVoid()),
                  S_OK);
        reader->putContentHandler(handler);
        return reader;
    }
    HRESULT ParseBytes(const std::string& bytes, RecordingHandler* handler, ULONG blockSize = 1u << 20)
    {
        ComPtr<ISAXXMLReader> reader = NewReader(handler);
        auto stream = ComPtr<ChunkedStream>::Adopt(new ChunkedStream(bytes, blockSize));
        return reader->parse(UnknownVariant(stream.Get()));
    }
};

TEST_F(Sax, NamespaceDeclarationsAreAttributesInDocumentOrder)
{
    auto handler = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    ASSERT_EQ(ParseBytes("<FixedPage Width=\"816\" xmlns=\"urn:page\" xml:lang=\"en-US\" xmlns:x=\"urn:x\" "
                         "x:Name=\"n\"><x:Path Data=\"M 0,0\"/></FixedPage>",
                         handler.Get()),
              S_OK);
    std::vector<std::string> expected = {
        "locator set",
        "startDocument",
        "startPrefix =urn:page",
        "startPrefix x=urn:x",
        "start {urn:page}FixedPage FixedPage [Width {}Width=816] [xmlns {http://www.w3.org/2000/xmlns/}xmlns=urn:page]"
        " [xml:lang {http://www.w3.org/XML/1998/namespace}lang=en-US] [xmlns:x {http://www.w3.org/2000/xmlns/}x=urn:x]"
        " [x:Name {urn:x}Name=n]",
        "start {urn:x}Path x:Path [Data {}Data=M 0,0]",
        "end {urn:x}Path x:Path",
        "end {urn:page}FixedPage FixedPage",
        "endPrefix",
        "endPrefix x",
        "endDocument",
    };
    EXPECT_EQ(handler->events, expected);
}

TEST_F(Sax, AttributeLookupByQualifiedName)
{
    struct Lookup final : ComObject<ISAXContentHandler> {
        std::string value;
        int index = -2;
        HRESULT missing = S_OK;
        HRESULT putDocumentLocator(ISAXLocator*) override { return S_OK; }
        HRESULT startDocument() override { return S_OK; }
        HRESULT endDocument() override { return S_OK; }
        HRESULT startPrefixMapping(const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
        HRESULT endPrefixMapping(const WCHAR*, int) override { return S_OK; }
        HRESULT startElement(const WCHAR*, int, const WCHAR*, int, const WCHAR*, int,
                             ISAXAttributes* attributes) override
        {
            const WCHAR* text = nullptr;
            int length = 0;
            attributes->getValueFromQName(u"x:b", 3, &text, &length);
            value = Utf8(text, length);
            attributes->getIndexFromQName(u"xmlns:x", 7, &index);
            int none = 0;
            missing = attributes->getIndexFromQName(u"c", 1, &none);
            return S_OK;
        }
        HRESULT endElement(const WCHAR*, int, const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
        HRESULT characters(const WCHAR*, int) override { return S_OK; }
        HRESULT ignorableWhitespace(const WCHAR*, int) override { return S_OK; }
        HRESULT processingInstruction(const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
        HRESULT skippedEntity(const WCHAR*, int) override { return S_OK; }
        void* InterfaceFor(REFIID riid) override
        {
            return riid == IID_ISAXContentHandler ? static_cast<ISAXContentHandler*>(this) : nullptr;
        }
    };
    auto handler = ComPtr<Lookup>::Adopt(new Lookup);
    ComPtr<ISAXXMLReader> reader;
    ASSERT_EQ(CoCreateInstance(CLSID_SAXXMLReader60, nullptr, CLSCTX_ALL, IID_ISAXXMLReader, reader.OutVoid()), S_OK);
    reader->putContentHandler(handler.Get());
    Bstr markup("<r a=\"1\" xmlns:x=\"urn:x\" x:b=\"two &amp; three\"/>");
    ASSERT_EQ(reader->parse(BstrVariant(markup)), S_OK);
    EXPECT_EQ(handler->value, "two & three");
    EXPECT_EQ(handler->index, 1);
    EXPECT_EQ(handler->missing, E_INVALIDARG);
    ComPtr<ISAXContentHandler> current;
    ASSERT_EQ(reader->getContentHandler(current.Out()), S_OK);
    EXPECT_EQ(current.Get(), static_cast<ISAXContentHandler*>(handler.Get()));
}

// Names are converted once and kept for the parse, up to a bound; names
// met after the table is full must still be reported right, and one
// qualified name bound to two namespaces must stay two names.
TEST_F(Sax, NamesBeyondTheKeptOnesAndRebindingsAreReportedRight)
{
    const size_t count = NameTable::kMaxNames + 100;
    std::string markup = "<r xmlns:p=\"urn:one\">";
    std::vector<std::string> expected = {"start {}r r [xmlns:p {http://www.w3.org/2000/xmlns/}p=urn:one]"};
    // Names in a namespace too long to keep are reported right as well.
    const std::string longUri = "urn:" + std::string(2 * NameTable::kMaxNameBytes, 'u');
    markup += "<q:e xmlns:q=\"" + longUri + "\" q:a=\"1\"/>";
    expected.push_back("start {" + longUri + "}e q:e [xmlns:q {http://www.w3.org/2000/xmlns/}q=" + longUri +
                       "] [q:a {" + longUri + "}a=1]");
    expected.push_back("end {" + longUri + "}e q:e");
    for (size_t i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        // Every other element rebinds p, so that p:e<n> and p:a<n> name two
        // namespaces in turn.
        std::string uri = i % 2 == 0 ? "urn:one" : "urn:two";
        if (i % 2 == 0) {
            markup += "<p:e" + n + " p:a" + n + "=\"v" + n + "\"/>";
            expected.push_back("start {urn:one}e" + n + " p:e" + n + " [p:a" + n + " {urn:one}a" + n + "=v" + n + "]");
        } else {
            markup += "<p:e" + n + " xmlns:p=\"urn:two\" p:a" + n + "=\"v" + n + "\"/>";
            expected.push_back("start {urn:two}e" + n + " p:e" + n +
                               " [xmlns:p {http://www.w3.org/2000/xmlns/}p=urn:two] [p:a" + n + " {urn:two}a" + n +
                               "=v" + n + "]");
        }
        expected.push_back("end {" + uri + "}e" + n + " p:e" + n);
        // The first names again, in the other namespace, once the table is full.
        if (i == count - 1) {
            markup += "<p:e0 xmlns:p=\"urn:two\" p:a0=\"w\"/><p:e1 p:a1=\"w\"/>";
            expected.push_back(
                "start {urn:two}e0 p:e0 [xmlns:p {http://www.w3.org/2000/xmlns/}p=urn:two] [p:a0 {urn:two}a0=w]");
            expected.push_back("end {urn:two}e0 p:e0");
            expected.push_back("start {urn:one}e1 p:e1 [p:a1 {urn:one}a1=w]");
            expected.push_back("end {urn:one}e1 p:e1");
        }
    }
    markup += "</r>";
    expected.push_back("end {}r r");
    auto handler = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    ASSERT_EQ(ParseBytes(markup, handler.Get(), 4096), S_OK);
    std::vector<std::string> elements;
    for (const std::string& event : handler->events) {
        if (event.rfind("start ", 0) == 0 || event.rfind("end ", 0) == 0) elements.push_back(event);
    }
    EXPECT_EQ(elements, expected);
}

// ASCII runs are converted in blocks: a character of two, three or four
// bytes, or a broken one, at any place of a text must come out right.
TEST(SaxText, EveryCharacterIsFoundInsideAsciiRuns)
{
    const std::pair<std::string, std::u16string> characters[] = {
        {"\xc3\xa9", u"\u00e9"}, {"\xe2\x82\xac", u"\u20ac"}, {"\xf0\x9f\x98\x80", u"\U0001F600"}, {"\x80", u"\uFFFD"}};
    for (size_t length = 1; length <= 24; ++length) {
        for (size_t at = 0; at < length; ++at) {
            for (const auto& [utf8, wide] : characters) {
                std::string text;
                std::u16string expected;
                for (size_t i = 0; i < length; ++i) {
                    char ascii = static_cast<char>('a' + i % 26);
                    text += i == at ? utf8 : std::string(1, ascii);
                    expected += i == at ? wide : std::u16string(1, static_cast<char16_t>(ascii));
                }
                std::u16string out(text.size(), u'\0');
                out.resize(tav::xml::Utf8ToUtf16(text, out.data()));
                EXPECT_EQ(out, expected) << length << " " << at;
            }
        }
    }
}

TEST(NameTable, KeepsNoMoreThanItsBoundAndTellsNamespacesApart)
{
    NameTable table(3);
    XmlName one{"p:a", "p", "a", "urn:one"};
    XmlName two{"p:a", "p", "a", "urn:two"};
    XmlName plain{"a", "", "a", ""};
    const WideName* first = table.Find(one);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->qualifiedName, u"p:a");
    EXPECT_EQ(first->localName, u"a");
    EXPECT_EQ(first->namespaceUri, u"urn:one");
    // Each text is terminated, as callers of the content handler may expect.
    EXPECT_EQ(first->localName.data()[1], u'\0');
    const WideName* second = table.Find(two);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->namespaceUri, u"urn:two");
    ASSERT_NE(table.Find(plain), nullptr);
    EXPECT_EQ(table.Find(plain)->namespaceUri, u"");
    EXPECT_EQ(table.Size(), 3u);
    EXPECT_EQ(table.Find(XmlName{"b", "", "b", ""}), nullptr);
    EXPECT_EQ(table.Size(), 3u);
    EXPECT_EQ(table.Find(one), first);
    EXPECT_EQ(table.Find(two), second);

    // One qualified name in namespaces of one length that differ anywhere:
    // at the start, in the middle or at the end, of eight bytes or more.
    NameTable namespaces;
    const std::vector<std::string> uris = {
        "urn:aaaa",          "urn:aaab",          "barn:aaa",          "urn:example:one:x",
        "urn:example:two:x", "urn:example:one:y", "xrn:example:one:x", "urn:example:1234567890:z"};
    std::vector<const WideName*> kept;
    for (const std::string& uri : uris) {
        kept.push_back(namespaces.Find(XmlName{"p:FontRenderingEmSize", "p", "FontRenderingEmSize", uri}));
    }
    for (size_t i = 0; i < uris.size(); ++i) {
        ASSERT_NE(kept[i], nullptr);
        EXPECT_EQ(WideToUtf8(kept[i]->namespaceUri.data(), kept[i]->namespaceUri.size()), uris[i]);
        EXPECT_EQ(namespaces.Find(XmlName{"p:FontRenderingEmSize", "p", "FontRenderingEmSize", uris[i]}), kept[i]);
    }
    EXPECT_EQ(namespaces.Size(), uris.size());
    // A name in a long namespace is not kept, however often it is met.
    const std::string longUri = "urn:" + std::string(NameTable::kMaxNameBytes, 'u');
    EXPECT_EQ(namespaces.Find(XmlName{"p:a", "p", "a", longUri}), nullptr);
    EXPECT_EQ(namespaces.Size(), uris.size());

    // Many names: the table grows by rehashing, keeps what it found, and
    // stops at its bound.
    NameTable large;
    std::vector<std::string> names;
    for (size_t i = 0; i < 3 * NameTable::kMaxNames; ++i) names.push_back("n" + std::to_string(i));
    std::vector<const WideName*> found;
    for (const std::string& name : names) found.push_back(large.Find(XmlName{name, "", name, ""}));
    EXPECT_EQ(large.Size(), NameTable::kMaxNames);
    for (size_t i = 0; i < names.size(); ++i) {
        const WideName* again = large.Find(XmlName{names[i], "", names[i], ""});
        EXPECT_EQ(again, found[i]) << names[i];
        if (i < NameTable::kMaxNames) {
            ASSERT_NE(again, nullptr);
            EXPECT_EQ(WideToUtf8(again->qualifiedName.data(), again->qualifiedName.size()), names[i]);
        } else {
            EXPECT_EQ(again, nullptr);
        }
    }
}

TEST_F(Sax, ReferencesAreFullyUnescaped)
{
    auto handler = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    ASSERT_EQ(ParseBytes("<r v=\"&amp;&lt;&gt;&quot;&apos;&#xa9;&#38;&#60;\tx\">&amp;&lt;&quot;&apos;&#xa9;&#38;"
                         "<![CDATA[&amp;]]></r>",
                         handler.Get()),
              S_OK);
    ASSERT_GE(handler->events.size(), 5u);
    // A tab in an attribute is normalised to a blank, as XML requires.
    EXPECT_EQ(handler->events[2], "start {}r r [v {}v=&<>\"'\xC2\xA9&< x]");
    EXPECT_EQ(handler->events[3], "text &<\"'\xC2\xA9&&amp;");
}

TEST_F(Sax, BlockSizeDoesNotChangeTheEvents)
{
    std::string page;
    if (!testsupport::ReadFixtureEntry("xps/mb06.xps", "Documents/1/Pages/1.fpage", &page)) {
        // Without fixtures a hand-made page with a BOM, comments and non-ASCII text.
        page =
            "\xEF\xBB\xBF<!-- c --><?pi data?><FixedPage xmlns=\"urn:p\" Width=\"816\"><Glyphs "
            "UnicodeString=\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"/>"
            "<Canvas>t\xC3\xA9xt</Canvas></FixedPage>";
    }
    auto whole = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    ASSERT_EQ(ParseBytes(page, whole.Get()), S_OK);
    EXPECT_GT(whole->Count("start "), 2u);
    for (ULONG block : {1u, 3u, 7u}) {
        auto pieces = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
        ASSERT_EQ(ParseBytes(page, pieces.Get(), block), S_OK) << block;
        EXPECT_EQ(pieces->events, whole->events) << block;
    }
}

TEST_F(Sax, LargeInputIsReadInBlocks)
{
    std::string page = "<FixedPage>";
    while (page.size() < (1u << 20)) page += "<Path Data=\"M 0,0 L 10,10\" Fill=\"#ff000000\"/>";
    page += "</FixedPage>";
    auto handler = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    ComPtr<ISAXXMLReader> reader = NewReader(handler.Get());
    auto stream = ComPtr<ChunkedStream>::Adopt(new ChunkedStream(page, 1u << 30));
    ASSERT_EQ(reader->parse(UnknownVariant(stream.Get())), S_OK);
    // Many reads of bounded size rather than one read of the whole part.
    EXPECT_GE(stream->Reads(), page.size() / (64 * 1024));
    EXPECT_EQ(handler->Count("start "), handler->Count("end "));
}

TEST_F(Sax, HandlerFailureStopsTheParse)
{
    auto handler = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    handler->failAt = 3;  // the second startElement
    HRESULT hr = ParseBytes("<a><b/><c/><d/></a>", handler.Get());
    EXPECT_EQ(hr, handler->failure);
    EXPECT_EQ(handler->events.size(), 4u);
    EXPECT_EQ(handler->events.back(), "start {}b b");

    auto atEnd = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    atEnd->failAt = 5;  // endDocument
    EXPECT_EQ(ParseBytes("<a><b/></a>", atEnd.Get()), atEnd->failure);
}

TEST_F(Sax, MalformedInputFailsAfterTheEventsSoFar)
{
    for (const char* bad :
         {"<a><b></a>", "<a>", "<a", "<a x=\"1></a>", "<a>&undefined;</a>", "<p:a/>", "<a xmlns:p=\"\"/>",
          "<a xmlns:xml=\"urn:other\"/>", "<a/><b/>", "", "<a>\x01</a>", "<a>\xC3\x28</a>"}) {
        auto handler = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
        EXPECT_EQ(ParseBytes(bad, handler.Get()), XML_E_PARSE_FAILED) << bad;
        EXPECT_EQ(handler->Count("endDocument"), 0u) << bad;
    }
    auto handler = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    EXPECT_EQ(ParseBytes("<a><b>text</b><c></a>", handler.Get()), XML_E_PARSE_FAILED);
    EXPECT_EQ(handler->Count("end {}b"), 1u);
    EXPECT_EQ(handler->Count("start {}c"), 1u);
}

TEST_F(Sax, EncodingsAndMarkupText)
{
    const std::string utf8 = "<?xml version=\"1.0\"?><!-- before --><?pi x?><r a=\"\xC3\xA9\">\xE2\x82\xAC</r>";
    auto reference = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    ASSERT_EQ(ParseBytes(utf8, reference.Get()), S_OK);
    EXPECT_EQ(reference->events[2], "pi pi x");
    EXPECT_EQ(reference->events[3], "start {}r r [a {}a=\xC3\xA9]");

    // UTF-16 with a byte-order mark, read a byte at a time.
    std::u16string wide = Utf8ToWide(utf8);
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : wide) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    auto fromUtf16 = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    ASSERT_EQ(ParseBytes(utf16, fromUtf16.Get(), 1), S_OK);
    EXPECT_EQ(fromUtf16->events, reference->events);

    // Markup as a BSTR, declaring another encoding that no longer applies.
    auto fromText = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
    ComPtr<ISAXXMLReader> reader = NewReader(fromText.Get());
    Bstr text(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-16\"?><!-- before --><?pi x?><r "
        "a=\"\xC3\xA9\">\xE2\x82\xAC</r>");
    ASSERT_EQ(reader->parse(BstrVariant(text)), S_OK);
    EXPECT_EQ(fromText->events, reference->events);
    EXPECT_EQ(reader->parse(IntVariant(1)), E_INVALIDARG);
}

TEST_F(Sax, ReadersAndDocumentsWorkOnSeveralThreads)
{
    std::string page = "<FixedPage xmlns=\"urn:p\">";
    for (int i = 0; i < 2000; ++i) page += "<Path Data=\"M 0,0\" Fill=\"&amp;\"/>";
    page += "</FixedPage>";
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            for (int round = 0; round < 5; ++round) {
                auto handler = ComPtr<RecordingHandler>::Adopt(new RecordingHandler);
                ComPtr<ISAXXMLReader> reader;
                CoCreateInstance(CLSID_SAXXMLReader60, nullptr, CLSCTX_ALL, IID_ISAXXMLReader, reader.OutVoid());
                reader->putContentHandler(handler.Get());
                auto stream = ComPtr<ChunkedStream>::Adopt(new ChunkedStream(page, 4096));
                if (reader->parse(UnknownVariant(stream.Get())) != S_OK || handler->Count("start ") != 2001)
                    ++failures[t];
                VARIANT_BOOL loaded = VARIANT_FALSE;
                ComPtr<IXMLDOMDocument2> document;
                CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument2, document.OutVoid());
                Bstr markup("<r><a>x</a></r>"), broken("<r>");
                document->loadXML(markup, &loaded);
                if (loaded != VARIANT_TRUE) ++failures[t];
                document->loadXML(broken, &loaded);
                if (loaded != VARIANT_FALSE) ++failures[t];
            }
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
