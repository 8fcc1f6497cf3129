#include "scaling_step.h"

#include "filtercore/imageable_area.h"
#include "filtercore/raised_result.h"

namespace {

// The fit paper takes the page's orientation and paper handling; its
// document margins are the page's output margins.
PageGeometry FitPaperFor(const PageGeometry& fitMedia, const PageGeometry& page)
{
    PageGeometry paper = fitMedia;
    paper.orientation = page.orientation;
    paper.thickness = page.thickness;
    paper.fixedMargin = page.fixedMargin;
    paper.documentMargins = page.outputMargins;
    return paper;
}

HRESULT ApplyTo(PreparationContext& context, IXMLDOMDocument2* ticket, bool* changed)
{
    PrintTicketDom dom(u"PrintTicket", context.privateNamespace.Get(), ticket);
    PageScalingSettings settings;
    HRESULT hr = ReadScalingSettings(dom, &settings);
    if (FAILED(hr)) return hr;
    PageGeometry pageMedia;
    hr = ReadPageGeometry(dom, &pageMedia);
    if (FAILED(hr)) return hr;
    ImageableArea source;
    hr = ReadTicketImageableArea(context.ticketManager, context.privateNamespace.Get(), ticket, &source);
    if (FAILED(hr)) return hr;

    ImageableArea target = source;
    if (settings.option == kScalingFitToPaper) {
        settings.fitMedia = FitPaperFor(settings.fitMedia, pageMedia);
        hr = WritePageGeometry(dom, settings.fitMedia);
        if (SUCCEEDED(hr))
            hr = ReadTicketImageableArea(context.ticketManager, context.privateNamespace.Get(), ticket, &target);
    }
    if (SUCCEEDED(hr)) context.scaling.emplace(settings, pageMedia, source, target);

    WriteScalingSettings(dom, PageScalingSettings());
    *changed = true;
    return hr;
}

}  // namespace

HRESULT ApplyScalingStep(PreparationContext& context, IXMLDOMDocument2* ticket, bool* changed)
{
    if (ticket == nullptr || changed == nullptr) return E_POINTER;
    *changed = false;
    context.scaling.reset();
    return CatchRaised([&] { return ApplyTo(context, ticket, changed); });
}
