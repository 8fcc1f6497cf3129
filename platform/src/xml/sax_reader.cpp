// The SAX reader (the SAXXMLReader60 role): drives an ISAXContentHandler from
// the events of the platform's parser, converting every name and text to
// UTF-16 in reused buffers.
#include "sax_reader.h"

#include <algorithm>
#include <vector>

#include "name_table.h"
#include "platform/comobject.h"
#include "platform/wformat.h"
#include "text.h"
#include "xml_parser.h"

namespace tav::xml {

namespace {

// The UTF-16 text of the names and values of one event. The room for all
// of an event's texts is made first, so that the views handed out stay
// valid while the rest are converted. The buffer only grows: emptying it
// keeps its size, so that converting costs no clearing of the room.
class TextBuffer {
public:
    // Empties the buffer and makes room for texts of utf8Bytes in all, in
    // count pieces: UTF-16 never takes more units than UTF-8 takes bytes,
    // and each text is followed by a terminator.
    void Reset(size_t utf8Bytes, size_t count)
    {
        used_ = 0;
        size_t room = utf8Bytes + count;
        if (buffer_.size() < room) buffer_.resize(std::max(room, 2 * buffer_.size()));
    }
    std::u16string_view Append(std::string_view text)
    {
        WCHAR* start = buffer_.data() + used_;
        size_t length = Utf8ToUtf16(text, start);
        start[length] = 0;
        used_ += length + 1;
        return {start, length};
    }
    WideName AppendName(const XmlName& name)
    {
        return {Append(name.namespaceUri), Append(name.localName), Append(name.qualifiedName)};
    }
    static size_t NameBytes(const XmlName& name)
    {
        return name.namespaceUri.size() + name.localName.size() + name.qualifiedName.size();
    }

private:
    std::u16string buffer_;
    size_t used_ = 0;
};

// The attributes of the element being reported. One object serves the
// whole parse; its content is replaced at every start tag.
class SaxAttributes final : public ComObject<ISAXAttributes> {
public:
    // Names come from the parse's name table; those it does not keep and
    // the values are converted into the object's own buffer.
    void Load(const XmlAttribute* attributes, size_t count, NameTable& names)
    {
        entries_.resize(count);
        size_t bytes = 0, texts = 0;
        for (size_t i = 0; i < count; ++i) {
            const WideName* name = names.Find(attributes[i].name);
            entries_[i].name = name != nullptr ? *name : WideName{};
            entries_[i].interned = name != nullptr;
            bytes += attributes[i].value.size();
            ++texts;
            if (name == nullptr) {
                bytes += TextBuffer::NameBytes(attributes[i].name);
                texts += 3;
            }
        }
        text_.Reset(bytes, texts);
        for (size_t i = 0; i < count; ++i) {
            Entry& entry = entries_[i];
            if (!entry.interned) entry.name = text_.AppendName(attributes[i].name);
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
        return Span(index, &WideName::namespaceUri, uri, length);
    }
    HRESULT getLocalName(int index, const WCHAR** name, int* length) override
    {
        return Span(index, &WideName::localName, name, length);
    }
    HRESULT getQName(int index, const WCHAR** name, int* length) override
    {
        return Span(index, &WideName::qualifiedName, name, length);
    }
    HRESULT getName(int index, const WCHAR** uri, int* uriLength, const WCHAR** localName, int* localNameLength,
                    const WCHAR** qName, int* qNameLength) override
    {
        HRESULT hr = Span(index, &WideName::namespaceUri, uri, uriLength);
        if (SUCCEEDED(hr)) hr = Span(index, &WideName::localName, localName, localNameLength);
        if (SUCCEEDED(hr)) hr = Span(index, &WideName::qualifiedName, qName, qNameLength);
        return hr;
    }
    HRESULT getIndexFromQName(const WCHAR* qName, int length, int* index) override
    {
        if (index == nullptr || (qName == nullptr && length != 0)) return E_POINTER;
        *index = -1;
        std::u16string_view wanted(qName, length < 0 ? 0 : static_cast<size_t>(length));
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].name.qualifiedName == wanted) {
                *index = static_cast<int>(i);
                return S_OK;
            }
        }
        return E_INVALIDARG;
    }
    HRESULT getValue(int index, const WCHAR** value, int* length) override
    {
        if (value == nullptr || length == nullptr) return E_POINTER;
        if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return E_INVALIDARG;
        return Report(entries_[static_cast<size_t>(index)].value, value, length);
    }
    HRESULT getValueFromQName(const WCHAR* qName, int qNameLength, const WCHAR** value, int* length) override
    {
        int index = -1;
        HRESULT hr = getIndexFromQName(qName, qNameLength, &index);
        return FAILED(hr) ? hr : getValue(index, value, length);
    }

private:
    struct Entry {
        WideName name;
        bool interned = false;
        std::u16string_view value;
    };

    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_ISAXAttributes ? static_cast<ISAXAttributes*>(this) : nullptr;
    }
    static HRESULT Report(std::u16string_view text, const WCHAR** out, int* length)
    {
        *out = text.data();
        *length = static_cast<int>(text.size());
        return S_OK;
    }
    HRESULT Span(int index, std::u16string_view WideName::*member, const WCHAR** text, int* length) const
    {
        if (text == nullptr || length == nullptr) return E_POINTER;
        if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return E_INVALIDARG;
        return Report(entries_[static_cast<size_t>(index)].name.*member, text, length);
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
        text_.Reset(prefix.size() + uri.size(), 2);
        std::u16string_view p = text_.Append(prefix);
        std::u16string_view u = text_.Append(uri);
        return handler_->startPrefixMapping(p.data(), Length(p), u.data(), Length(u));
    }
    HRESULT EndPrefixMapping(std::string_view prefix) override
    {
        if (handler_ == nullptr) return S_OK;
        text_.Reset(prefix.size(), 1);
        std::u16string_view p = text_.Append(prefix);
        return handler_->endPrefixMapping(p.data(), Length(p));
    }
    HRESULT StartElement(const XmlName& name, const XmlAttribute* attributes, size_t count) override
    {
        if (handler_ == nullptr) return S_OK;
        WideName wide = Convert(name);
        attributes_->Load(attributes, count, names_);
        return handler_->startElement(wide.namespaceUri.data(), Length(wide.namespaceUri), wide.localName.data(),
                                      Length(wide.localName), wide.qualifiedName.data(), Length(wide.qualifiedName),
                                      attributes_);
    }
    HRESULT EndElement(const XmlName& name) override
    {
        if (handler_ == nullptr) return S_OK;
        WideName wide = Convert(name);
        return handler_->endElement(wide.namespaceUri.data(), Length(wide.namespaceUri), wide.localName.data(),
                                    Length(wide.localName), wide.qualifiedName.data(), Length(wide.qualifiedName));
    }
    HRESULT Characters(std::string_view text) override
    {
        if (handler_ == nullptr) return S_OK;
        text_.Reset(text.size(), 1);
        std::u16string_view wide = text_.Append(text);
        return handler_->characters(wide.data(), Length(wide));
    }
    HRESULT CDataSection(std::string_view text) override { return Characters(text); }
    HRESULT Comment(std::string_view) override { return S_OK; }
    HRESULT ProcessingInstruction(std::string_view target, std::string_view data) override
    {
        if (handler_ == nullptr) return S_OK;
        text_.Reset(target.size() + data.size(), 2);
        std::u16string_view t = text_.Append(target);
        std::u16string_view d = text_.Append(data);
        return handler_->processingInstruction(t.data(), Length(t), d.data(), Length(d));
    }

private:
    WideName Convert(const XmlName& name)
    {
        if (const WideName* interned = names_.Find(name)) return *interned;
        text_.Reset(TextBuffer::NameBytes(name), 3);
        return text_.AppendName(name);
    }
    static int Length(std::u16string_view text) { return static_cast<int>(text.size()); }

    ISAXContentHandler* handler_;
    SaxLocator* locator_;
    SaxAttributes* attributes_;
    NameTable names_;
    TextBuffer text_;
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

}  // namespace tav::xml
