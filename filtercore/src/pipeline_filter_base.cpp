#include "filtercore/pipeline_filter_base.h"

#include "filtercore/failure_note.h"
#include "platform/com.h"

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
    ResetCounters();
    ClearFailureNote();

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
            control->RequestShutdown(result, ComPtr<IImgErrorInfo>::Adopt(MakeErrorInfo(result)).Get());
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
    ClearFailureNote();
    return OnJobEnd();
}

HRESULT PipelineFilterBase::DispatchPart(IUnknown* part)
{
    // A note left by a failure an earlier part recovered from is no
    // reason for this part's.
    ClearFailureNote();
    return DispatchXpsPart(part, *this, [this](auto* typed) -> HRESULT {
        using Part = std::remove_pointer_t<decltype(typed)>;
        if constexpr (std::is_same_v<Part, IXpsDocument>)
            return Deliver(typed, &PipelineFilterBase::OnXpsDocument, &IXpsDocumentConsumer::SendXpsDocument);
        else if constexpr (std::is_same_v<Part, IFixedDocumentSequence>)
            return Deliver(typed, &PipelineFilterBase::OnFixedDocumentSequence,
                           &IXpsDocumentConsumer::SendFixedDocumentSequence);
        else if constexpr (std::is_same_v<Part, IFixedDocument>)
            return Deliver(typed, &PipelineFilterBase::OnFixedDocument, &IXpsDocumentConsumer::SendFixedDocument);
        else if constexpr (std::is_same_v<Part, IFixedPage>)
            return Deliver(typed, &PipelineFilterBase::OnFixedPage, &IXpsDocumentConsumer::SendFixedPage);
        else  // resources, fonts, images and anything else pass through untouched
            return consumer->SendXpsUnknown(typed);
    });
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
