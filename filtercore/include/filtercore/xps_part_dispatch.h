// The part loop's recognition of XPS parts and its counters, for every filter
// that walks the parts: PipelineFilterBase's loop uses them, and a filter
// derived from PipelineFilterCore with a loop of its own uses them too, so
// that parts are told apart and counted one way.
#pragma once

#include <type_traits>

#include "platform/comobject.h"
#include "platform/pipeline.h"

// Counted before the part's handler runs.
struct XpsPartCounters {
    LONG pageInDocument = 0;  // FixedPage parts since the last FixedDocument
    LONG documentCount = 0;   // FixedDocument parts
    LONG pageCount = 0;       // all FixedPage parts

    void ResetCounters() { *this = XpsPartCounters(); }
};

// Hands the part to the handler overload for its kind: an IXpsDocument*,
// IFixedDocumentSequence*, IFixedDocument* or IFixedPage*, or the part
// itself as an IUnknown* for any other kind (resources, fonts, images). A
// FixedDocument resets pageInDocument and counts itself; a FixedPage counts
// in both page counters. Returns the handler's result.
template <class Handler>
HRESULT DispatchXpsPart(IUnknown* part, XpsPartCounters& counters, Handler&& handler)
{
    if (ComPtr<IXpsDocument> document; SUCCEEDED(part->QueryInterface(IID_IXpsDocument, document.OutVoid())))
        return handler(document.Get());
    if (ComPtr<IFixedDocumentSequence> sequence;
        SUCCEEDED(part->QueryInterface(IID_IFixedDocumentSequence, sequence.OutVoid())))
        return handler(sequence.Get());
    if (ComPtr<IFixedDocument> document; SUCCEEDED(part->QueryInterface(IID_IFixedDocument, document.OutVoid()))) {
        counters.pageInDocument = 0;
        ++counters.documentCount;
        return handler(document.Get());
    }
    if (ComPtr<IFixedPage> page; SUCCEEDED(part->QueryInterface(IID_IFixedPage, page.OutVoid()))) {
        ++counters.pageInDocument;
        ++counters.pageCount;
        return handler(page.Get());
    }
    return handler(part);
}
