#include "filtercore/page_rewrite.h"

#include <new>

#include "filtercore/failure_note.h"
#include "filtercore/raised_result.h"
#include "filtercore/sequential_read_adapter.h"
#include "platform/com.h"
#include "platform/xml.h"

HRESULT ParsePageMarkup(IFixedPage* source, ISAXContentHandler* handler, ULONG largestRead)
{
    if (source == nullptr || handler == nullptr) return E_POINTER;
    ComPtr<ISAXXMLReader> reader;
    HRESULT hr = CoCreateInstance(CLSID_SAXXMLReader60, nullptr, CLSCTX_ALL, IID_ISAXXMLReader, reader.OutVoid());
    if (FAILED(hr)) return hr;
    hr = reader->putContentHandler(handler);
    if (FAILED(hr)) return hr;

    ComPtr<IPrintReadStream> markup;
    hr = source->GetStream(markup.Out());
    if (FAILED(hr)) return hr;
    ComPtr<ISequentialStream> adapter;
    hr = SequentialReadAdapter::Create(markup.Get(), adapter.Out(), largestRead);
    if (FAILED(hr)) return hr;

    VARIANT input;
    VariantInit(&input);
    input.vt = VT_UNKNOWN;
    input.punkVal = adapter.Get();  // borrowed: the VARIANT is not cleared
    return reader->parse(input);
}

HRESULT StreamPageMarkup(IFixedPage* source, IPrintWriteStream* destination, const MarkupWriterFactory& makeWriter)
{
    if (source == nullptr || destination == nullptr || !makeWriter) return E_POINTER;
    ComPtr<MarkupWriter> writer;
    HRESULT made = CatchRaised([&] {
        writer = ComPtr<MarkupWriter>::Adopt(makeWriter(destination));
        return writer ? S_OK : E_OUTOFMEMORY;
    });
    if (FAILED(made)) return made;

    HRESULT hr = ParsePageMarkup(source, writer.Get());
    // Written here rather than by the destructor, so that a failing last
    // write is reported.
    if (SUCCEEDED(hr)) hr = writer->Flush();
    writer.Reset();
    if (FAILED(hr)) {
        CatchRaised([&] {
            NoteFailureOf(hr, source, DescribeFailure(hr));
            return S_OK;
        });
    }
    return hr;
}

HRESULT WritePageMarkup(IFixedPage* source, IPrintWriteStream* destination, const MarkupWriterFactory& makeWriter)
{
    if (destination == nullptr) return E_POINTER;
    HRESULT hr = StreamPageMarkup(source, destination, makeWriter);
    destination->Close();
    return hr;
}

HRESULT RewriteFixedPage(IFixedPage* page, const MarkupWriterFactory& makeWriter)
{
    if (page == nullptr) return E_POINTER;
    ComPtr<IPrintWriteStream> stream;
    HRESULT hr = page->GetWriteStream(stream.Out());
    if (FAILED(hr)) return hr;
    if (!stream) return E_POINTER;
    return WritePageMarkup(page, stream.Get(), makeWriter);
}
