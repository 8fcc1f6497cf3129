#include "filtercore/ticket_document_io.h"

#include "platform/com.h"

HRESULT CreateTicketDocument(ComPtr<IXMLDOMDocument2>* document)
{
    return CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument2, document->OutVoid());
}

HRESULT LoadTicketDocument(IXMLDOMDocument2* document, IUnknown* source)
{
    VARIANT input;
    VariantInit(&input);
    input.vt = VT_UNKNOWN;
    input.punkVal = source;  // borrowed: not cleared
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = document->load(input, &loaded);
    if (FAILED(hr)) return hr;
    return loaded == VARIANT_TRUE ? S_OK : E_FAIL;
}

HRESULT LoadTicketDocumentFromStream(IStream* stream, ComPtr<IXMLDOMDocument2>* document)
{
    document->Reset();
    if (stream == nullptr) return E_POINTER;
    ComPtr<IXMLDOMDocument2> loaded;
    HRESULT hr = CreateTicketDocument(&loaded);
    if (FAILED(hr)) return hr;
    LARGE_INTEGER start{};
    hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    hr = LoadTicketDocument(loaded.Get(), stream);
    if (FAILED(hr)) return hr;
    *document = loaded;
    return S_OK;
}

HRESULT TicketDocumentStream(IXMLDOMDocument2* document, ComPtr<IStream>* stream)
{
    if (document == nullptr) return E_POINTER;
    return document->QueryInterface(IID_IStream, stream->OutVoid());
}

HRESULT CopyTicketDocument(IXMLDOMDocument2* source, ComPtr<IXMLDOMDocument2>* copy)
{
    copy->Reset();
    if (source == nullptr) return E_POINTER;
    // A deep clone of the tree: the markup need not be written out and
    // parsed again.
    ComPtr<IXMLDOMNode> clone;
    HRESULT hr = source->cloneNode(VARIANT_TRUE, clone.Out());
    if (FAILED(hr)) return hr;
    if (!clone) return E_FAIL;
    ComPtr<IXMLDOMDocument2> document;
    hr = clone.As(IID_IXMLDOMDocument2, &document);
    if (FAILED(hr)) return hr;
    *copy = document;
    return S_OK;
}
