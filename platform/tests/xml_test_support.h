// Helpers shared by the XML tests: COM set-up, BSTR and UTF-8 conversions,
// streams that deliver few bytes per read, a recording SAX handler and
// access to the PrintTickets of the real XPS fixtures.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/comobject.h"
#include "platform/stream.h"
#include "platform/wformat.h"
#include "platform/xml.h"
#include "testsupport/fixtures.h"

namespace xmltest {

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

// An owned BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::string& utf8)
    {
        std::u16string wide = Utf8ToWide(utf8);
        value_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }
    operator BSTR() const { return value_; }
    BSTR* Out()
    {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::string Utf8() const { return WideToUtf8(value_, SysStringLen(value_)); }

private:
    BSTR value_ = nullptr;
};

inline VARIANT UnknownVariant(IUnknown* unknown)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = unknown;  // borrowed: the callee only reads it
    return value;
}

inline VARIANT BstrVariant(BSTR text)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;  // borrowed
    return value;
}

inline VARIANT IntVariant(LONG number)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}

// A read-only stream that hands out at most blockSize bytes per read.
class ChunkedStream final : public ComObject<ISequentialStream> {
public:
    ChunkedStream(std::string bytes, ULONG blockSize) : bytes_(std::move(bytes)), blockSize_(blockSize) {}
    HRESULT Read(void* buffer, ULONG count, ULONG* read) override
    {
        ULONG n = std::min<ULONG>({count, blockSize_, static_cast<ULONG>(bytes_.size() - position_)});
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        reads_++;
        if (read != nullptr) *read = n;
        return S_OK;
    }
    HRESULT Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    size_t Reads() const { return reads_; }
    size_t Position() const { return position_; }

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_ISequentialStream ? static_cast<ISequentialStream*>(this) : nullptr;
    }
    std::string bytes_;
    ULONG blockSize_;
    size_t position_ = 0;
    size_t reads_ = 0;
};

inline ComPtr<IXMLDOMDocument2> NewDocument()
{
    ComPtr<IXMLDOMDocument2> document;
    HRESULT hr = CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument2, document.OutVoid());
    EXPECT_EQ(hr, S_OK);
    return document;
}

// Loads UTF-8 markup through a stream, as tickets are loaded.
inline ComPtr<IXMLDOMDocument2> LoadDocument(const std::string& markup, VARIANT_BOOL* success = nullptr)
{
    ComPtr<IXMLDOMDocument2> document = NewDocument();
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnBytes(markup.data(), markup.size(), stream.Out()), S_OK);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->load(UnknownVariant(stream.Get()), &loaded);
    if (success != nullptr)
        *success = loaded;
    else
        EXPECT_EQ(loaded, VARIANT_TRUE) << markup;
    return document;
}

inline void SetSelectionNamespaces(IXMLDOMDocument2* document, const std::string& declarations)
{
    Bstr name("SelectionNamespaces");
    Bstr value(declarations);
    ASSERT_EQ(document->setProperty(name, BstrVariant(value)), S_OK);
}

inline std::string Text(IXMLDOMNode* node)
{
    Bstr text;
    EXPECT_EQ(node->get_text(text.Out()), S_OK);
    return text.Utf8();
}

inline std::string Xml(IXMLDOMNode* node)
{
    Bstr xml;
    EXPECT_EQ(node->get_xml(xml.Out()), S_OK);
    return xml.Utf8();
}

inline std::string Name(IXMLDOMNode* node)
{
    Bstr name;
    EXPECT_EQ(node->get_nodeName(name.Out()), S_OK);
    return name.Utf8();
}

inline ComPtr<IXMLDOMNode> Select(IXMLDOMNode* context, const std::string& expression)
{
    ComPtr<IXMLDOMNode> node;
    Bstr text(expression);
    context->selectSingleNode(text, node.Out());
    return node;
}

inline std::string Attribute(IXMLDOMNode* node, const std::string& name)
{
    ComPtr<IXMLDOMElement> element;
    EXPECT_EQ(node->QueryInterface(IID_IXMLDOMElement, element.OutVoid()), S_OK);
    if (!element) return "<no element>";
    Bstr attributeName(name);
    VARIANT value;
    VariantInit(&value);
    if (element->getAttribute(attributeName, &value) != S_OK) return "<absent>";
    std::string text = WideToUtf8(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return text;
}

#define READ_FIXTURE_OR_SKIP(package, entry, content)                                                  \
    do {                                                                                               \
        if (!testsupport::ReadFixtureEntry(package, entry, content))                                   \
            GTEST_SKIP() << "fixture " << package << " (" << entry << ") not found; set TAV_FIXTURES"; \
    } while (0)

constexpr const char* kFramework = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
constexpr const char* kKeywords = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
constexpr const char* kXsi = "http://www.w3.org/2001/XMLSchema-instance";
constexpr const char* kXsd = "http://www.w3.org/2001/XMLSchema";

}  // namespace xmltest
