// The ticket readers of filtercore and of each filter on one ticket
// document: job information, two-sided printing, binding, mirror, poster,
// N-up, input bins, page geometry and the imageable area (for a
// PrintCapabilities document), the preparation filter's scaling, watermark
// and header/footer settings, the order filter's booklet settings, the
// finisher's settings, the layout filter's settings pass at job and page
// level, and the host's summary of a ticket in option names (tavpipe info).
// Refusals come back as HRESULTs or CXDException; anything else is a
// finding.
#include "filtercore/errors.h"
#include "filtercore/job_settings.h"
#include "filtercore/page_geometry.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/private_keywords.h"
#include "filtercore/ticket_document_io.h"
#include "finisher_settings.h"
#include "fuzz_support.h"
#include "header_footer_settings_reader.h"
#include "layout_settings.h"
#include "order_settings.h"
#include "page_scaling_settings.h"
#include "settings_pass.h"
#include "ticket_streams.h"
#include "ticket_summary.h"
#include "watermark_settings.h"

namespace {

void ReadTicketSettings(IXMLDOMDocument2* document)
{
    try {
        PrintTicketDom ticket(u"PrintTicket", kPrivateKeywordsNamespace, document);
        JobInfoSettings jobInfo;
        ReadJobInfo(ticket, &jobInfo);
        DuplexSettings duplex;
        ReadDuplex(ticket, &duplex);
        BindingSettings binding;
        ReadBinding(ticket, &binding);
        MirrorSettings mirror;
        ReadMirror(ticket, &mirror);
        PosterSettings poster;
        ReadPoster(ticket, &poster);
        NUpSettings nup;
        ReadNUp(ticket, &nup);
        InputBinSettings bins;
        ReadInputBins(ticket, &bins);
        PageGeometry geometry;
        ReadPageGeometry(ticket, &geometry);
        PageScalingSettings scaling;
        ReadScalingSettings(ticket, &scaling);
        PageWatermarkSettings watermark;
        ReadWatermarkSettings(ticket, &watermark);
        HeaderFooterSettings headerFooter;
        ReadHeaderFooterSettings(ticket, &headerFooter);
    } catch (const CXDException&) {
    }
}

void ReadCapabilities(IXMLDOMDocument2* document)
{
    try {
        PrintTicketDom capabilities(u"PrintCapabilities", kPrivateKeywordsNamespace, document);
        ImageableArea area;
        ReadImageableArea(capabilities, &area);
    } catch (const CXDException&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tav::fuzz::EnsureComApartment();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TicketSettingsInOptionNames(bytes);

    ComPtr<IXMLDOMDocument2> document;
    if (FAILED(LoadTicketDocumentFromStream(tav::fuzz::BytesStream(bytes).Get(), &document)) || !document) return 0;
    ReadTicketSettings(document.Get());
    ReadCapabilities(document.Get());
    OrderSettings order;
    ReadOrderSettings(document.Get(), kPrivateKeywordsNamespace, &order);
    // The writers below change the document; the readers above saw it as
    // it came.
    PrintTicketManager manager;
    FinisherSettings finisher(manager, kPrivateKeywordsNamespace);
    BOOL finisherChanged = FALSE;
    ExamineTicket(&finisher, document.Get(), &finisherChanged);
    for (TicketLevel level : {TicketLevel::Job, TicketLevel::Page}) {
        LayoutState state;
        bool changed = false;
        std::vector<std::u16string> warnings;
        RunTicketSettingsPass(state, level, document.Get(), kPrivateKeywordsNamespace, &changed, &warnings);
    }
    return 0;
}
