#include "finisher_settings.h"

#include "filtercore/imageable_area.h"
#include "filtercore/job_settings.h"
#include "filtercore/raised_result.h"

namespace {

// The ticket's media with width and height exchanged, and Portrait: the
// media as transverse feed passes it through the device.
HRESULT TurnMedia(PrintTicketDom& ticket, PageGeometry& geometry)
{
    geometry.SetMedia(geometry.MediaName(), geometry.height, geometry.width, geometry.nameIsPrivate);
    geometry.orientation = PageOrientation::Portrait;
    return WritePageGeometry(ticket, geometry);
}

// The device's imageable area under the ticket. When the capabilities cannot
// be obtained or read, the default device's margins on the page's media
// stand in, so that the lines still lie inside what the device prints.
ImageableArea ReadPrintableArea(FinisherSettings& settings, IXMLDOMDocument2* ticket, const PageGeometry& geometry)
{
    ImageableArea area;
    if (SUCCEEDED(ReadTicketImageableArea(settings.ticketManager, settings.privateNamespace.Get(), ticket, &area)))
        return area;
    return DefaultDeviceImageableArea(geometry);
}

// Transverse feed writes the orientation as Portrait, so the device no
// longer gives a ReverseLandscape or ReversePortrait page the half turn that
// tells it from a Landscape or Portrait one: the content takes it instead.
bool TransverseKeepsHalfTurn(const PageGeometry& geometry)
{
    return geometry.transverse && (geometry.orientation == PageOrientation::ReverseLandscape ||
                                   geometry.orientation == PageOrientation::ReversePortrait);
}

HRESULT Examine(FinisherSettings& settings, IXMLDOMDocument2* ticket, BOOL* changed)
{
    PrintTicketDom dom(u"PrintTicket", settings.privateNamespace.Get(), ticket);
    // The presets are the readers' defaults: Letter portrait, no mirror, no
    // reverse image, no poster.
    PageGeometry geometry;
    MirrorSettings mirror;
    PosterSettings poster;
    HRESULT hr = ReadPageGeometry(dom, &geometry);
    if (SUCCEEDED(hr)) hr = ReadMirror(dom, &mirror);
    if (SUCCEEDED(hr)) hr = ReadPoster(dom, &poster);
    if (FAILED(hr)) return hr;

    settings.cutOutLines = poster.printCutOutLine;
    if (settings.cutOutLines) settings.imageableArea = ReadPrintableArea(settings, ticket, geometry);
    settings.rotationKind = RotationKindOf(geometry.transverse, geometry.orientation);
    settings.mirrorKind = MirrorKindOf(mirror.mirror, (mirror.reverse != 0) != TransverseKeepsHalfTurn(geometry));
    if (settings.rotationKind == kNoTransverseFeed) return S_OK;

    hr = TurnMedia(dom, geometry);
    if (FAILED(hr)) return hr;
    *changed = TRUE;
    return S_OK;
}

}  // namespace

bool RewritesPage(const FinisherSettings& settings)
{
    return settings.rotationKind == kTransverseTurned || settings.mirrorKind != kNoMirror || settings.cutOutLines;
}

HRESULT ExamineTicket(FinisherSettings* settings, IXMLDOMDocument2* ticket, BOOL* changed)
{
    if (settings == nullptr || ticket == nullptr || changed == nullptr) return E_POINTER;
    *changed = FALSE;
    settings->rotationKind = kNoTransverseFeed;
    settings->mirrorKind = kNoMirror;
    settings->cutOutLines = FALSE;
    settings->imageableArea = {};
    return CatchRaised([&] { return Examine(*settings, ticket, changed); });
}
