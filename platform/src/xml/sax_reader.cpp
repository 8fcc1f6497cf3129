// The SAX reader (the SAXXMLReader60 role): drives an ISAXContentHandler from
// the events of the platform's parser, converting every name and text to
// UTF-16 in reused buffers.
#include "sax_reader.h"

#include <algorithm>
#include <vector>

#include "platform/comobject.h"
#include "platform/wformat.h"
#include "text.h"
#include "xml_parser.h"

namespace tavxml {

namespace {

// A run of UTF-16 text inside a shared buffer; offsets survive the growth
// of the buffer while an element's names are being converted.
struct TextSpan {
    size_t offset = 0;
    size_t length = 0;
};

// The UTF-16 text of the names and values of one event. The buffer only
// grows: emptying it keeps its size, so that converting a name costs no
// clearing of the room it is written into.
class TextBuffer {
public:
    void Clear() { used_ = 0; }
    TextSpan Append(std::string_view text)
    {
        // UTF-16 never takes more units than UTF-8 takes bytes; the last
        // text is followed by a terminator, as it was in a string of its own.
        if (buffer_.size() - used_ <= text.size()) buffer_.resize(std::max(used_ + text.size() + 1, 2 * buffer_.size()));
        TextSpan span{used_, Utf8ToUtf16(text, buffer_.data() + used_)};
        used_ += span.length;
        buffer_[used_] = 0;
        return span;
    }
    const WCHAR* At(const TextSpan& span) const { return buffer_.data() + span.offset; }

private:
    std::u16string buffer_;
    size_t used_ = 0;
};

// The attributes of the element being reported. One object serves the
// whole parse; its content is replaced at every start tag.
class SaxAttributes final : public ComObject<ISAXAttributes> {
public:
    void Load(const XmlAttribute* attributes, size_t count)
    {
        text_.Clear();
        entries_.resize(count);
        for (size_t i = 0; i < count; ++i) {
            Entry& entry = entries_[i];
            entry.uri = text_.Append(attributes[i].name.namespaceUri);
            entry.localName = text_.Append(attributes[i].name.localName);
            entry.qName = text_.Append(attributes[i].name.qualifiedName);
            entry.value = text_.Append(attributes[i].value);
        }
    }

    HRESULT getLength(int* length) override
    {
        if (length == nullptr) return E_POINTER;
        *length = static_cast<int>(entries_.size());
        return S_OK;
    }
    HRESULT getURI(int index, const WCHAR** uri, int* length) override
    {
        return Span(index, &Entry::uri, uri, length);
    }
    HRESULT getLocalName(int index, const WCHAR** name, int* length) override
    {
        return Span(index, &Entry::localName, name, length);
    }
    HRESULT getQName(int index, const WCHAR** name, int* length) override
    {
        return Span(index, &Entry::qName, name, length);
    }
    HRESULT getName(int index, const WCHAR** uri, int* uriLength, const WCHAR** localName, int* localNameLength,
                    const WCHAR** qName, int* qNameLength) override
    {
        HRESULT hr = Span(index, &Entry::uri, uri, uriLength);
        if (SUCCEEDED(hr)) hr = Span(index, &Entry::localName, localName, localNameLength);
        if (SUCCEEDED(hr)) hr = Span(index, &Entry::qName, qName, qNameLength);
        return hr;
    }
    HRESULT getIndexFromQName(const WCHAR* qName, int length, int* index) override
    {
        if (index == nullptr || (qName == nullptr && length != 0)) return E_POINTER;
        *index = -1;
        std::u16string_view wanted(qName, length < 0 ? 0 : static_cast<size_t>(length));
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (Text(entries_[i].qName) == wanted) {
                *index = static_cast<int>(i);
                return S_OK;
            }
        }
        return E_INVALIDARG;
    }
    HRESULT getValue(int index, const WCHAR** value, int* length) override
    {
        return Span(index, &Entry::value, value, length);
    }
    HRESULT getValueFromQName(const WCHAR* qName, int qNameLength, const WCHAR** value, int* length) override
    {
        int index = -1;
        HRESULT hr = getIndexFromQName(qName, qNameLength, &index);
        return FAILED(hr) ? hr : getValue(index, value, length);
    }

private:
    struct Entry {
        TextSpan uri, localName, qName, value;
    };

    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_ISAXAttributes ? static_cast<ISAXAttributes*>(this) : nullptr;
    }
    std::u16string_view Text(const TextSpan& span) const { return {text_.At(span), span.length}; }
    HRESULT Span(int index, TextSpan Entry::*member, const WCHAR** text, int* length) const
    {
        if (text == nullptr || length == nullptr) return E_POINTER;
        if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return E_INVALIDARG;
        const TextSpan& span = entries_[static_cast<size_t>(index)].*member;
        *text = text_.At(span);
        *length = static_cast<int>(span.length);
        return S_OK;
    }

    TextBuffer text_;
    std::vector<Entry> entries_;
};

// Line and column of the running parse; zero outside it.
class SaxLocator final : public ComObject<ISAXLocator> {
public:
    void Attach(const XmlEventParser* parser) { parser_ = parser; }
    HRESULT getColumnNumber(int* column) override
    {
        if (column == nullptr) return E_POINTER;
        *column = parser_ == nullptr ? 0 : parser_->ColumnNumber();
        return S_OK;
    }
    HRESULT getLineNumber(int* line) override
    {
        if (line == nullptr) return E_POINTER;
        *line = parser_ == nullptr ? 0 : parser_->LineNumber();
        return S_OK;
    }

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_ISAXLocator ? static_cast<ISAXLocator*>(this) : nullptr;
    }
    const XmlEventParser* parser_ = nullptr;
};

// Turns the parser's events into content-handler calls.
class HandlerAdapter final : public XmlEventSink {
public:
    HandlerAdapter(ISAXContentHandler* handler, SaxLocator* locator, SaxAttributes* attributes)
        : handler_(handler), locator_(locator), attributes_(attributes)
    {
    }

    HRESULT StartDocument() override
    {
        if (handler_ == nullptr) return S_OK;
        HRESULT hr = handler_->putDocumentLocator(locator_);
        return FAILED(hr) ? hr : handler_->startDocument();
    }
    HRESULT EndDocument() override { return handler_ == nullptr ? S_OK : handler_->endDocument(); }
    HRESULT StartPrefixMapping(std::string_view prefix, std::string_view uri) override
    {
        if (handler_ == nullptr) return S_OK;
        names_.Clear();
        TextSpan p = names_.Append(prefix);
        TextSpan u = names_.Append(uri);
        return handler_->startPrefixMapping(At(p), Length(p), At(u), Length(u));
    }
    HRESULT EndPrefixMapping(std::string_view prefix) override
    {
        if (handler_ == nullptr) return S_OK;
        names_.Clear();
        TextSpan p = names_.Append(prefix);
        return handler_->endPrefixMapping(At(p), Length(p));
    }
    HRESULT StartElement(const XmlName& name, const XmlAttribute* attributes, size_t count) override
    {
        if (handler_ == nullptr) return S_OK;
        ConvertName(name);
        attributes_->Load(attributes, count);
        return handler_->startElement(At(uri_), Length(uri_), At(local_), Length(local_), At(qName_), Length(qName_),
                                      attributes_);
    }
    HRESULT EndElement(const XmlName& name) override
    {
        if (handler_ == nullptr) return S_OK;
        ConvertName(name);
        return handler_->endElement(At(uri_), Length(uri_), At(local_), Length(local_), At(qName_), Length(qName_));
    }
    HRESULT Characters(std::string_view text) override
    {
        if (handler_ == nullptr) return S_OK;
        text_.resize(text.size());
        size_t length = Utf8ToUtf16(text, text_.data());
        return handler_->characters(text_.data(), static_cast<int>(length));
    }
    HRESULT CDataSection(std::string_view text) override { return Characters(text); }
    HRESULT Comment(std::string_view) override { return S_OK; }
    HRESULT ProcessingInstruction(std::string_view target, std::string_view data) override
    {
        if (handler_ == nullptr) return S_OK;
        names_.Clear();
        TextSpan t = names_.Append(target);
        TextSpan d = names_.Append(data);
        return handler_->processingInstruction(At(t), Length(t), At(d), Length(d));
    }

private:
    void ConvertName(const XmlName& name)
    {
        names_.Clear();
        uri_ = names_.Append(name.namespaceUri);
        local_ = names_.Append(name.localName);
        qName_ = names_.Append(name.qualifiedName);
    }
    const WCHAR* At(const TextSpan& span) const { return names_.At(span); }
    static int Length(const TextSpan& span) { return static_cast<int>(span.length); }

    ISAXContentHandler* handler_;
    SaxLocator* locator_;
    SaxAttributes* attributes_;
    TextBuffer names_;
    std::u16string text_;
    TextSpan uri_, local_, qName_;
};

class SaxReader final : public ComObject<ISAXXMLReader> {
public:
    HRESULT putContentHandler(ISAXContentHandler* handler) override
    {
        handler_ = ComPtr<ISAXContentHandler>::Share(handler);
        return S_OK;
    }
    HRESULT getContentHandler(ISAXContentHandler** handler) override
    {
        if (handler == nullptr) return E_POINTER;
        *handler = ComPtr<ISAXContentHandler>(handler_).Detach();
        return S_OK;
    }
    HRESULT parse(VARIANT input) override
    {
        if (input.vt == VT_UNKNOWN) {
            if (input.punkVal == nullptr) return E_INVALIDARG;
            ComPtr<ISequentialStream> stream;
            if (FAILED(input.punkVal->QueryInterface(IID_ISequentialStream, stream.OutVoid()))) return E_INVALIDARG;
            StreamSource source(stream.Get());
            return Run(source);
        }
        if (input.vt != VT_BSTR) return E_INVALIDARG;
        std::string markup = MarkupFromText(input.bstrVal, WideLength(input.bstrVal));
        MemorySource source(markup.data(), markup.size(), true);
        return Run(source);
    }

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_ISAXXMLReader ? static_cast<ISAXXMLReader*>(this) : nullptr;
    }

    HRESULT Run(ByteSource& source)
    {
        // The handler may keep the locator and the attributes; both are
        // fresh objects for every parse.
        auto locator = ComPtr<SaxLocator>::Adopt(new (std::nothrow) SaxLocator);
        auto attributes = ComPtr<SaxAttributes>::Adopt(new (std::nothrow) SaxAttributes);
        if (!locator || !attributes) return E_OUTOFMEMORY;
        // Keep the handler alive even if it replaces itself during the parse.
        ComPtr<ISAXContentHandler> handler = handler_;
        HandlerAdapter adapter(handler.Get(), locator.Get(), attributes.Get());
        XmlEventParser parser(adapter, UINT64_MAX, kMaxElementDepth + kSaxNestingHeadroom);
        locator->Attach(&parser);
        HRESULT hr = parser.Parse(source);
        locator->Attach(nullptr);
        return hr;
    }

    ComPtr<ISAXContentHandler> handler_;
};

}  // namespace

HRESULT CreateSaxReader(REFIID riid, void** object)
{
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    auto reader = ComPtr<SaxReader>::Adopt(new (std::nothrow) SaxReader);
    if (!reader) return E_OUTOFMEMORY;
    return reader->QueryInterface(riid, object);
}

}  // namespace tavxml
