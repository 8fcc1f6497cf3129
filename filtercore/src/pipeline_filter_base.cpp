#include "filtercore/pipeline_filter_base.h"

#include "platform/com.h"

namespace {

// The interface pointer when part answers riid (null pointers included), or
// false when it does not.
template <class Interface>
bool Answers(IUnknown* part, REFIID riid, ComPtr<Interface>* answer)
{
    return SUCCEEDED(part->QueryInterface(riid, answer->OutVoid()));
}

}  // namespace

PipelineFilterBase::PipelineFilterBase()
{
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    gdiplusStatus = Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
    gdiplusReady = gdiplusStatus == Gdiplus::Ok ? 1 : 0;
}

PipelineFilterBase::~PipelineFilterBase()
{
    Gdiplus::GdiplusShutdown(gdiplusToken);
    gdiplusToken = 0;
    gdiplusStatus = Gdiplus::GdiplusNotInitialized;
    consumer.Reset();
    provider.Reset();
}

HRESULT PipelineFilterBase::StartOperation()
{
    pageInDocument = 0;
    documentCount = 0;
    pageCount = 0;

    HRESULT comResult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HRESULT result = comResult;
    if (SUCCEEDED(result)) result = ConnectProviderConsumer();
    if (SUCCEEDED(result)) result = SetupPerUserTicket();
    if (SUCCEEDED(result)) {
        result = RunPartLoop();
        if (consumer) consumer->CloseSender();
    }
    if (FAILED(result)) {
        // A job stopped by ShutdownOperation is cancelled, not failed.
        if (stopped)
            result = S_OK;
        else if (control)
            control->RequestShutdown(result, nullptr);
    }
    if (SUCCEEDED(comResult)) CoUninitialize();
    ReportFilterFinished();
    return result;
}

HRESULT PipelineFilterBase::RunPartLoop()
{
    if (!provider || !consumer) return E_UNEXPECTED;
    for (;;) {
        ComPtr<IUnknown> part;
        HRESULT hr = provider->GetXpsPart(part.Out());
        if (FAILED(hr)) return hr;
        // The job is complete, or it was stopped: a part fetched after the
        // stop is released unseen.
        if (!part || stopped) break;
        hr = DispatchPart(part.Get());
        if (FAILED(hr)) return hr;
    }
    return OnJobEnd();
}

HRESULT PipelineFilterBase::DispatchPart(IUnknown* part)
{
    if (ComPtr<IXpsDocument> document; Answers(part, IID_IXpsDocument, &document))
        return Deliver(document.Get(), &PipelineFilterBase::OnXpsDocument, &IXpsDocumentConsumer::SendXpsDocument);
    if (ComPtr<IFixedDocumentSequence> sequence; Answers(part, IID_IFixedDocumentSequence, &sequence))
        return Deliver(sequence.Get(), &PipelineFilterBase::OnFixedDocumentSequence,
                       &IXpsDocumentConsumer::SendFixedDocumentSequence);
    if (ComPtr<IFixedDocument> document; Answers(part, IID_IFixedDocument, &document)) {
        pageInDocument = 0;
        ++documentCount;
        return Deliver(document.Get(), &PipelineFilterBase::OnFixedDocument, &IXpsDocumentConsumer::SendFixedDocument);
    }
    if (ComPtr<IFixedPage> page; Answers(part, IID_IFixedPage, &page)) {
        ++pageInDocument;
        ++pageCount;
        return Deliver(page.Get(), &PipelineFilterBase::OnFixedPage, &IXpsDocumentConsumer::SendFixedPage);
    }
    // Resources, fonts, images and anything else pass through untouched.
    return consumer->SendXpsUnknown(part);
}

// The hook when GDI+ is ready, otherwise the part goes straight on.
template <class Part>
HRESULT PipelineFilterBase::Deliver(Part* part, HRESULT (PipelineFilterBase::*hook)(Part*),
                                    HRESULT (IXpsDocumentConsumer::*send)(Part*))
{
    if (gdiplusReady) return (this->*hook)(part);
    return SendOn(part, send);
}

template <class Part>
HRESULT PipelineFilterBase::SendOn(Part* part, HRESULT (IXpsDocumentConsumer::*send)(Part*))
{
    if (part == nullptr) return E_POINTER;
    if (!consumer) return E_UNEXPECTED;
    return (consumer.Get()->*send)(part);
}

HRESULT PipelineFilterBase::OnFixedPage(IFixedPage* page) { return SendOn(page, &IXpsDocumentConsumer::SendFixedPage); }

HRESULT PipelineFilterBase::OnFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnDocumentTicket(document);
    if (FAILED(hr)) return hr;
    return SendOn(document, &IXpsDocumentConsumer::SendFixedDocument);
}

HRESULT PipelineFilterBase::OnFixedDocumentSequence(IFixedDocumentSequence* sequence)
{
    if (sequence == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnJobTicket(sequence);
    if (FAILED(hr)) return hr;
    return SendOn(sequence, &IXpsDocumentConsumer::SendFixedDocumentSequence);
}

HRESULT PipelineFilterBase::OnXpsDocument(IXpsDocument* document)
{
    return SendOn(document, &IXpsDocumentConsumer::SendXpsDocument);
}

HRESULT PipelineFilterBase::OnJobEnd() { return S_OK; }

HRESULT PipelineFilterBase::ConnectProviderConsumer()
{
    provider.Reset();
    consumer.Reset();
    if (!communicator) return E_UNEXPECTED;

    ComPtr<IUnknown> reader;
    ComPtr<IUnknown> writer;
    HRESULT hr = communicator->RequestReader(reader.OutVoid());
    if (SUCCEEDED(hr)) hr = communicator->RequestWriter(writer.OutVoid());
    if (FAILED(hr)) return hr;

    // The communicator hands out untyped pointers: the stored provider and
    // consumer are the answers to the queries, so that a reader or writer of
    // another kind is never called through the wrong interface.
    ComPtr<IXpsDocumentProvider> checkedProvider;
    ComPtr<IXpsDocumentConsumer> checkedConsumer;
    if (!reader || !writer || FAILED(reader->QueryInterface(IID_IXpsDocumentProvider, checkedProvider.OutVoid())) ||
        FAILED(writer->QueryInterface(IID_IXpsDocumentConsumer, checkedConsumer.OutVoid())) || !checkedProvider ||
        !checkedConsumer) {
        if (control) control->RequestShutdown(E_FAIL, nullptr);
        return E_FAIL;
    }
    provider = checkedProvider;
    consumer = checkedConsumer;
    return S_OK;
}
