// PipelineFilterBase: the XPS part loop with its per-part hooks and counters,
// and the GDI+ start-up of a filter object. A filter that overrides no hook
// passes every part through unchanged.
//
// Virtual slots after PipelineFilterCore's: OnFixedPage, OnFixedDocument,
// OnFixedDocumentSequence, OnXpsDocument, OnJobEnd, ConnectProviderConsumer.
// A hook borrows the part it is given; one that holds parts back keeps its
// own references and sends them at the latest in OnJobEnd. Hooks return an
// HRESULT and let no exception escape.
#pragma once

#include "filtercore/pipeline_filter_core.h"
#include "filtercore/xps_part_dispatch.h"
#include "platform/gdiplus.h"

// The counters pageInDocument, documentCount and pageCount come from
// XpsPartCounters.
class PipelineFilterBase : public PipelineFilterCore, protected XpsPartCounters {
public:
    // The part loop: connects provider and consumer, sets up the per-user
    // ticket, hands every part to its hook, then OnJobEnd and CloseSender.
    HRESULT StartOperation() override;
    ~PipelineFilterBase() override;

    // Sends the page on; a filter that needs the page's settings calls
    // ticketManager.OnPageTicket and GetMergedTicket(Page) in its override.
    virtual HRESULT OnFixedPage(IFixedPage* page);
    // Merge the document's (the sequence's) ticket, then send the part on;
    // a refused ticket is the hook's failure and the part is not sent.
    virtual HRESULT OnFixedDocument(IFixedDocument* document);
    virtual HRESULT OnFixedDocumentSequence(IFixedDocumentSequence* sequence);
    virtual HRESULT OnXpsDocument(IXpsDocument* document);
    virtual HRESULT OnJobEnd();
    // Obtains provider and consumer from the communicator.
    virtual HRESULT ConnectProviderConsumer();

protected:
    PipelineFilterBase();

    ComPtr<IXpsDocumentProvider> provider;
    ComPtr<IXpsDocumentConsumer> consumer;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::Status gdiplusStatus = Gdiplus::GdiplusNotInitialized;
    // 1 when GDI+ started; only then are the hooks called.
    LONG gdiplusReady = 0;

private:
    HRESULT RunPartLoop();
    HRESULT DispatchPart(IUnknown* part);
    template <class Part>
    HRESULT Deliver(Part* part, HRESULT (PipelineFilterBase::*hook)(Part*),
                    HRESULT (IXpsDocumentConsumer::*send)(Part*));
    template <class Part>
    HRESULT SendOn(Part* part, HRESULT (IXpsDocumentConsumer::*send)(Part*));
};
