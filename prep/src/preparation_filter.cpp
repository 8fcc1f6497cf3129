#include "preparation_filter.h"

#include "bitmap_watermark.h"
#include "decoration_type.h"
#include "filtercore/failure_note.h"
#include "filtercore/imageable_area.h"
#include "filtercore/job_warning.h"
#include "filtercore/page_rewrite.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/raised_result.h"
#include "header_footer_data.h"
#include "header_footer_settings_reader.h"
#include "header_footer_text.h"
#include "page_markup_rewriter.h"
#include "platform/units.h"
#include "scaling_step.h"
#include "text_watermark.h"

namespace {

constexpr HRESULT kNoTicket = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

}  // namespace

PreparationFilter::~PreparationFilter() = default;

HRESULT PreparationFilter::OnFixedDocumentSequence(IFixedDocumentSequence* sequence)
{
    if (sequence == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnJobTicket(sequence);
    if (FAILED(hr)) return hr;
    levelTickets.OnJob(consumer.Get(), sequence, ScaleLevel());
    return consumer->SendFixedDocumentSequence(sequence);
}

HRESULT PreparationFilter::OnFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnDocumentTicket(document);
    if (FAILED(hr)) return hr;
    levelTickets.OnDocument(consumer.Get(), document, ScaleLevel());
    return consumer->SendFixedDocument(document);
}

// A level's ticket is taken when it asks for scaling.
LevelTicketRewrite::Examine PreparationFilter::ScaleLevel()
{
    return [this](IXMLDOMDocument2* copy, bool* changed) {
        PreparationContext context(ticketManager, privateNamespace, propertyBag.Get());
        bool scaled = false;
        HRESULT hr = ApplyScalingStep(context, copy, &scaled);
        *changed = scaled && context.IsActive();
        return hr;
    };
}

HRESULT PreparationFilter::OnFixedPage(IFixedPage* page)
{
    if (page == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnPageTicket(page);
    // The merged page ticket is only needed when no page before printed
    // with the same ticket.
    IXMLDOMDocument2* ticket = nullptr;  // borrowed from the manager
    if (SUCCEEDED(hr) && pageExaminations.Find(ticketManager) == nullptr)
        hr = ticketManager.GetMergedTicket(TicketLevel::Page, &ticket);
    if (hr == kNoTicket) return consumer->SendFixedPage(page);
    if (FAILED(hr)) return hr;
    hr = PreparePage(page, ticket);
    if (FAILED(hr)) return hr;
    return consumer->SendFixedPage(page);
}

// The ticket, when given, is examined, and the result kept for the pages
// that print with the same ticket; without one, the kept result applies.
// The scaling step changes the merged page ticket itself, which the manager
// drops with the next page.
HRESULT PreparationFilter::PreparePage(IFixedPage* page, IXMLDOMDocument2* ticket)
{
    return CatchRaised([&] {
        PreparationContext context(ticketManager, privateNamespace, propertyBag.Get());
        const PageExamination* examined = pageExaminations.Find(ticketManager);
        PageExamination examination;
        if (ticket != nullptr) {
            examination = ExaminePageTicket(context, ticket);
            // A ticket without the device's imageable area is as good a
            // result as any: such pages are left as they are.
            if (SUCCEEDED(examination.result) || examination.result == kNoTicket) {
                examined = &pageExaminations.Keep(ticketManager, std::move(examination));
                // Whether the page needs its merged ticket depends on its
                // number too (the first page's watermark).
                pageTickets.Examined(ticket);
            } else {
                examined = &examination;
            }
        }
        if (examined == nullptr) return E_UNEXPECTED;
        if (examined->result == kNoTicket) return S_OK;
        if (FAILED(examined->result)) {
            NoteFailureOf(
                examined->result, page,
                u"the page's scaling cannot be worked out from its PrintTicket: " + DescribeFailure(examined->result));
            return examined->result;
        }
        context.scaling = examined->scaling;
        BuildDecorations(context, *examined, pageCount);
        if (!context.IsActive()) {
            // A page with a ticket of its own under a scaled job or document
            // ticket keeps its whole merged ticket: its own, merged over the
            // scaled one, would give it a paper its content was not scaled to.
            if (ticketManager.PageTicketPresent() && levelTickets.LevelAboveReplaced())
                return pageTickets.Attach(consumer.Get(), page, ticket);
            return S_OK;
        }

        PrepareDecorations(context, page);
        HRESULT hr = RewriteFixedPage(
            page, [&context](IPrintWriteStream* stream) { return new PageMarkupRewriter(stream, context); });
        if (FAILED(hr)) return hr;
        // A page without a ticket of its own prints with its document's,
        // which was scaled when the document came.
        if (examined->changed && ticketManager.PageTicketPresent())
            hr = pageTickets.Attach(consumer.Get(), page, ticket);
        return hr;
    });
}

PreparationFilter::PageExamination PreparationFilter::ExaminePageTicket(PreparationContext& context,
                                                                        IXMLDOMDocument2* ticket)
{
    // Settings that cannot be read leave the page without that decoration.
    PageExamination examination;
    CatchRaised([&] {
        PrintTicketDom dom(u"PrintTicket", context.privateNamespace.Get(), ticket);
        PageWatermarkSettings watermark;
        HRESULT hr = ReadWatermarkSettings(dom, &watermark);
        if (SUCCEEDED(hr)) examination.watermark = std::move(watermark);
        return hr;
    });
    ReadHeaderFooter(context, ticket, examination);
    examination.result = ApplyScalingStep(context, ticket, &examination.changed);
    examination.scaling = context.scaling;
    return examination;
}

void PreparationFilter::ReadHeaderFooter(PreparationContext& context, IXMLDOMDocument2* ticket,
                                         PageExamination& examination)
{
    CatchRaised([&] {
        PrintTicketDom dom(u"PrintTicket", context.privateNamespace.Get(), ticket);
        HeaderFooterSettings settings;
        HRESULT hr = ReadHeaderFooterSettings(dom, &settings);
        if (FAILED(hr) || settings.pageHeaderFooter == 0) return hr;
        JobInfoSettings jobInfo;
        hr = ReadJobInfo(dom, &jobInfo);
        if (FAILED(hr) && hr != kNoTicket) return hr;
        ImageableArea area;
        hr = ReadTicketImageableArea(context.ticketManager, context.privateNamespace.Get(), ticket, &area);
        if (FAILED(hr)) return hr;
        examination.headerFooter = std::move(settings);
        examination.jobInfo = std::move(jobInfo);
        examination.imageableArea =
            Gdiplus::RectF(MicronsToXpsUnitsByInch(area.originWidth), MicronsToXpsUnitsByInch(area.originHeight),
                           MicronsToXpsUnitsByInch(area.extentWidth), MicronsToXpsUnitsByInch(area.extentHeight));
        return S_OK;
    });
}

void PreparationFilter::BuildDecorations(PreparationContext& context, const PageExamination& examined,
                                         LONG jobPageNumber)
{
    BuildWatermark(context, examined, jobPageNumber);
    BuildHeaderFooter(context, examined);
}

void PreparationFilter::BuildWatermark(PreparationContext& context, const PageExamination& examined, LONG jobPageNumber)
{
    if (!examined.watermark) return;
    CatchRaised([&] {
        DecorationData data = WatermarkDecorationData(*examined.watermark, jobPageNumber);
        // An empty text or file name draws nothing: no part is embedded for
        // it.
        switch (DecorationTypeOf(data)) {
        case DecorationType::TextWatermark:
            if (SysStringLen(data.activeEntry.text.Get()) > 0) context.watermark = TextWatermarkFor(data);
            break;
        case DecorationType::BitmapWatermark:
            if (SysStringLen(data.activeEntry.filename.Get()) > 0)
                context.watermark = std::make_unique<BitmapWatermark>(data, watermarkImages);
            break;
        default: break;
        }
        return S_OK;
    });
}

// A line that cannot be composed or whose font cannot be had leaves the
// page without it.
void PreparationFilter::BuildHeaderFooter(PreparationContext& context, const PageExamination& examined)
{
    if (!examined.headerFooter || !examined.imageableArea) return;
    CatchRaised([&] {
        PageScalingSettings scaling = examined.scaling ? examined.scaling->Settings() : PageScalingSettings();
        DecorationData data =
            HeaderFooterDecorationData(*examined.headerFooter, scaling, examined.jobInfo, context.propertyBag.Get());
        if (DecorationTypeOf(data) != DecorationType::HeaderFooterLine) return S_OK;
        std::u16string line;
        HRESULT hr = ComposeLine(data, languageLibrary, &line);
        if (FAILED(hr)) return hr;
        context.imageableArea = *examined.imageableArea;
        context.headerFooter = HeaderFooterFor(data, std::move(line));
        return S_OK;
    });
}

std::shared_ptr<PageDecoration> PreparationFilter::TextWatermarkFor(const DecorationData& data)
{
    if (!keptTextWatermark || !keptTextWatermark->DrawnFrom(data))
        keptTextWatermark = std::make_shared<TextWatermark>(data, textFonts);
    return keptTextWatermark;
}

std::shared_ptr<PageDecoration> PreparationFilter::HeaderFooterFor(const DecorationData& data, std::u16string line)
{
    if (!keptHeaderFooter || !keptHeaderFooter->Prints(data, line))
        keptHeaderFooter = std::make_shared<HeaderFooterText>(data, std::move(line), textFonts);
    return keptHeaderFooter;
}

void PreparationFilter::PrepareDecorations(PreparationContext& context, IFixedPage* page)
{
    for (std::shared_ptr<PageDecoration>* decoration : {&context.watermark, &context.headerFooter}) {
        if (!*decoration || SUCCEEDED((*decoration)->PrepareResources(consumer.Get(), page, &resourceParts))) continue;
        if (keptTextWatermark == *decoration) keptTextWatermark.reset();
        if (keptHeaderFooter == *decoration) keptHeaderFooter.reset();
        decoration->reset();
    }
    // An image that cannot be loaded is said once; the job goes on.
    for (const std::u16string& warning : watermarkImages.TakeWarnings()) ReportJobWarning(control.Get(), u"", warning);
}
