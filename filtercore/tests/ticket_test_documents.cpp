#include "ticket_test_documents.h"

#include "platform/com.h"
#include "platform/stream.h"
#include "platform/wformat.h"
#include "testsupport/ticket_markup.h"

namespace tickettest {

namespace {

std::string Declaration(const std::string& prefix, const char* uri)
{
    return prefix.empty() ? std::string() : " xmlns:" + prefix + "=\"" + uri + "\"";
}

std::string Qualified(const std::string& prefix, const std::string& name)
{
    return prefix.empty() ? name : prefix + ":" + name;
}

VARIANT UnknownVariant(IUnknown* unknown)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = unknown;
    return value;
}

}  // namespace

std::string MakeTicket(const std::string& body, const Prefixes& prefixes)
{
    using namespace testsupport;
    std::string framework = prefixes.framework.empty() ? std::string(" xmlns=\"") + kFrameworkUri + "\""
                                                       : Declaration(prefixes.framework, kFrameworkUri);
    std::string root = Qualified(prefixes.framework, "PrintTicket");
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + framework +
           Declaration(prefixes.keywords, kKeywordsUri) + Declaration(prefixes.xsi, kSchemaInstanceUri) +
           Declaration(prefixes.xsd, kSchemaUri) + Declaration(prefixes.privateKeywords, kPrivateUri) +
           " version=\"1\">" + body + "</" + root + ">";
}

ComPtr<IXMLDOMDocument2> LoadDocument(const std::string& markup)
{
    ComPtr<IXMLDOMDocument2> document;
    EXPECT_EQ(
        CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2, document.OutVoid()),
        S_OK);
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnBytes(markup.data(), markup.size(), stream.Out()), S_OK);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (document) {
        EXPECT_EQ(document->load(UnknownVariant(stream.Get()), &loaded), S_OK) << markup;
    }
    EXPECT_EQ(loaded, VARIANT_TRUE) << markup;
    return document;
}

std::string SavedMarkup(IXMLDOMDocument2* document)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()), S_OK);
    EXPECT_EQ(document->save(UnknownVariant(stream.Get())), S_OK);
    const BYTE* bytes = nullptr;
    size_t count = 0;
    EXPECT_EQ(GetMemoryStreamBytes(stream.Get(), &bytes, &count), S_OK);
    return std::string(reinterpret_cast<const char*>(bytes), count);
}

std::string Utf8(BSTR text) { return WideToUtf8(text, SysStringLen(text)); }

OwnedBstr Bstr(const std::string& text)
{
    std::u16string wide = Utf8ToWide(text);
    return OwnedBstr(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

}  // namespace tickettest
