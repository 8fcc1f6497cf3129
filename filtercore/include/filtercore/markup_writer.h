// MarkupWriter: the SAX content handler that page writers derive from. It
// collects markup text and writes it, as UTF-8 without byte-order mark,
// straight into a part's write stream in large blocks, so that a page is
// streamed with bounded memory and few WriteBytes calls.
//
// Of the eleven content-handler methods only startDocument does something:
// it writes the XML declaration. Derived writers decide what each element
// becomes (see PageWriterBase for the conventions they share).
#pragma once

#include <string_view>
#include "filtercore/com_object_base.h"

#include "filtercore/heap_string.h"
#include "filtercore/utf8_converter.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "platform/xml.h"

class MarkupWriter : public ComObjectBase<ISAXContentHandler> {
public:
    // Pending text longer than this is written out before more is appended.
    static constexpr size_t kFlushThreshold = 0x4FFFF;
    static constexpr const WCHAR* kXmlDeclaration = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>";

    HRESULT putDocumentLocator(ISAXLocator* locator) override { return S_OK; }
    // Appends the XML declaration, with no line break after it.
    HRESULT startDocument() override;
    HRESULT endDocument() override { return S_OK; }
    HRESULT startPrefixMapping(const WCHAR* prefix, int prefixLength, const WCHAR* uri, int uriLength) override
    {
        return S_OK;
    }
    HRESULT endPrefixMapping(const WCHAR* prefix, int prefixLength) override { return S_OK; }
    HRESULT startElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName, int localNameLength,
                         const WCHAR* qName, int qNameLength, ISAXAttributes* attributes) override
    {
        return S_OK;
    }
    HRESULT endElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName, int localNameLength,
                       const WCHAR* qName, int qNameLength) override
    {
        return S_OK;
    }
    HRESULT characters(const WCHAR* text, int length) override { return S_OK; }
    HRESULT ignorableWhitespace(const WCHAR* text, int length) override { return S_OK; }
    HRESULT processingInstruction(const WCHAR* target, int targetLength, const WCHAR* data, int dataLength) override
    {
        return S_OK;
    }
    HRESULT skippedEntity(const WCHAR* name, int length) override { return S_OK; }

    // Appends text (null appends nothing). When the pending text is already
    // longer than kFlushThreshold it is flushed first, and the flush result
    // replaces carried; returns carried. Raises CXDException(E_OUTOFMEMORY).
    HRESULT Append(const WCHAR* text, HRESULT carried);
    // The same for a text of known length.
    HRESULT Append(std::u16string_view text, HRESULT carried);
    // Writes the pending text with one WriteBytes call (one Write call on a
    // sequential stream) and empties it, also when the conversion or the
    // write fails. S_OK when nothing is pending; the conversion's failure,
    // or the write's result, STG_E_WRITEFAULT when the stream took fewer
    // bytes than it was given.
    HRESULT Flush();
    size_t PendingLength() const { return pendingLength_; }

    // Replaces *value by its escaped text (AppendEscaped); an empty or null
    // BSTR is left as it is. E_POINTER for a null pointer, E_OUTOFMEMORY.
    static HRESULT Escape(BSTR* value);

protected:
    // Keep the stream. A null stream raises CXDException(E_POINTER).
    explicit MarkupWriter(IPrintWriteStream* stream);
    // Writes into a sequential stream (a memory stream, say) rather than a
    // part's write stream. A null stream raises CXDException(E_POINTER).
    explicit MarkupWriter(ISequentialStream* stream);
    // Writes what is still pending.
    ~MarkupWriter() override;

private:
    HRESULT WriteOut(const BYTE* bytes, ULONG count);

    ComPtr<IPrintWriteStream> writeStream_;
    ComPtr<ISequentialStream> sequentialStream_;
    HeapWideString pending_;
    // The length of pending_, kept so that appending never measures it.
    size_t pendingLength_ = 0;
    // Converts pending_ for writing; keeps its buffer from flush to flush.
    Utf8Converter converter_{&pending_};
};
