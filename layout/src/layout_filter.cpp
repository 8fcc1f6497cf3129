#include "layout_filter.h"

#include "emit_pass.h"
#include "filtercore/failure_note.h"
#include "filtercore/imageable_area.h"
#include "filtercore/job_warning.h"
#include "filtercore/page_frame.h"
#include "filtercore/raised_result.h"
#include "page_passes.h"
#include "settings_pass.h"

namespace {

constexpr WCHAR kTicketTag[] = u"LO";
constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

}  // namespace

LayoutFilter::LayoutFilter() : divideConditionTracker(privateNamespace) {}

HRESULT LayoutFilter::ConnectProviderConsumer()
{
    HRESULT hr = PipelineFilterBase::ConnectProviderConsumer();
    if (!propertyBag) return hr;
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(propertyBag->GetProperty(u"LandscapeRotation", &value))) state.landscapeRotation = value.intVal;
    VariantClear(&value);
    return hr;
}

template <class Part>
HRESULT LayoutFilter::AttachTicket(Part* part, IXMLDOMDocument2* ticket)
{
    ComPtr<IPartPrintTicket> ticketPart;
    HRESULT hr = ticketManager.WriteTicketPart(consumer.Get(), ticket, kTicketTag, ticketPart.Out());
    if (SUCCEEDED(hr)) hr = part->SetPrintTicket(ticketPart.Get());
    return hr;
}

HRESULT LayoutFilter::OnFixedDocumentSequence(IFixedDocumentSequence* sequence)
{
    if (sequence == nullptr) return E_POINTER;
    if (!consumer) return E_PENDING;
    return CatchRaised([&] {
        state.ResetForJob();
        pageExaminations.Clear();
        HRESULT hr = ticketManager.OnJobTicket(sequence);
        IXMLDOMDocument2* ticket = nullptr;  // borrowed from the manager
        if (SUCCEEDED(hr)) hr = ticketManager.GetMergedTicket(TicketLevel::Job, &ticket);
        bool changed = false;
        std::vector<std::u16string> warnings;
        if (SUCCEEDED(hr))
            hr = RunTicketSettingsPass(state, TicketLevel::Job, ticket, privateNamespace, &changed, &warnings);
        for (const std::u16string& warning : warnings) ReportJobWarning(control.Get(), u"", warning);
        if (SUCCEEDED(hr) && changed) {
            hr = NoteStepFailureOf(AttachTicket(sequence, ticket), sequence,
                                   u"the job's new PrintTicket cannot be attached to it");
        }
        SequencePass pass;
        if (SUCCEEDED(hr)) hr = VisitActiveSteps(state, pass);
        if (FAILED(hr))
            return NoteStepFailureOf(hr, sequence, u"the job's layout settings cannot be taken from its PrintTicket");
        return consumer->SendFixedDocumentSequence(sequence);
    });
}

HRESULT LayoutFilter::OnFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    if (!consumer) return E_PENDING;
    return CatchRaised([&] {
        HRESULT hr = ticketManager.OnDocumentTicket(document);
        if (FAILED(hr)) return hr;
        // With both N-up and binding settings the job's hold for every
        // document, and the document's ticket is not read.
        IXMLDOMDocument2* ticket = nullptr;  // borrowed from the manager
        if (!state.nup.IsActive() || !state.binding.IsActive()) {
            hr = ticketManager.GetMergedTicket(TicketLevel::Document, &ticket);
            if (FAILED(hr)) return hr;
        }
        bool changed = false;
        std::vector<std::u16string> warnings;
        hr = RunTicketSettingsPass(state, TicketLevel::Document, ticket, privateNamespace, &changed, &warnings);
        for (const std::u16string& warning : warnings) ReportJobWarning(control.Get(), u"", warning);
        if (SUCCEEDED(hr) && changed) {
            hr = NoteStepFailureOf(AttachTicket(document, ticket), document,
                                   u"the document's new PrintTicket cannot be attached to it");
        }
        DocumentPass pass;
        if (SUCCEEDED(hr)) hr = VisitActiveSteps(state, pass);
        NoteStepFailureOf(hr, document, u"the document's layout settings cannot be taken from its PrintTicket");
        if (FAILED(hr) || pass.suppressed) return hr;
        return consumer->SendFixedDocument(document);
    });
}

HRESULT LayoutFilter::ExaminePageTicket(IXMLDOMDocument2* ticket, PageExamination* examination)
{
    PrintTicketDom dom(u"PrintTicket", privateNamespace, ticket);
    // The other reads keep their defaults when they fail; only the bins and
    // the divide condition decide where the job is divided and fed from.
    PageGeometry& geometry = examination->page.geometry;
    ReadPageGeometry(dom, &geometry);
    bool areaRead =
        SUCCEEDED(ReadTicketImageableArea(ticketManager, privateNamespace, ticket, &examination->page.area));
    // Without the device's word the whole medium, in the orientation of the
    // content, is taken as printable: sheets of no size would print nothing.
    if (!areaRead) {
        bool across = IsLandscapeLike(geometry.orientation);
        INT width = across ? geometry.height : geometry.width;
        INT height = across ? geometry.width : geometry.height;
        examination->page.area = {width, height, 0, 0, width, height};
    }
    ReadMirror(dom, &examination->page.mirror);
    InputBinSettings bins;
    HRESULT hr = ReadInputBins(dom, &bins);
    if (FAILED(hr) && hr != kNotFound) return hr;
    examination->pageBin = bins.pageBin;
    examination->pageBinRead = true;
    hr = divideConditionTracker.ReadCondition(ticket, &examination->divideCondition);
    if (FAILED(hr) && hr != kNotFound) return hr;
    examination->divideConditionRead = SUCCEEDED(hr);
    if (FAILED(ReadPoster(dom, &examination->poster))) examination->poster.sheetsPerPage = 0;
    return S_OK;
}

HRESULT LayoutFilter::ApplyPageSettings(const PageExamination& examination)
{
    state.page = examination.page;
    if (examination.pageBinRead) state.bins.PageArrives(examination.pageBin);
    if (examination.divideConditionRead) {
        divideConditionTracker.Note(examination.divideCondition);
    } else {
        divideConditionTracker.NoteUnreadable();
    }
    state.divideChanged = divideConditionTracker.Changed();
    state.separateTray.Begin(state.separateTrayOn, state.binding.TwoSided(), state.duplexFirstPaper);
    // A poster job feeds no first sheets from a separate tray, and a new
    // division ends the phase too.
    if (examination.poster.sheetsPerPage > 0 || state.divideChanged) state.separateTray.End();
    SettingsPass pass(TicketLevel::Page);
    pass.poster = examination.poster;
    return pass.Run(state, SettingsPass::Mode::Apply);
}

// Only pages that go on a sheet or onto tiles are placed by their size;
// their markup is read here as far as the FixedPage start tag. A page whose
// markup cannot be read is placed as its ticket says: writing it reports
// the fault.
void LayoutFilter::TakePageSize(IFixedPage* page)
{
    FixedPageFrame frame;
    bool imposed = state.nup.IsActive() || state.poster.IsActive();
    if (imposed && FAILED(ReadFixedPageFrame(page, &frame))) frame = FixedPageFrame{};
    PaperAsLaid paper = PaperAsPageLies(state.page.geometry.orientation, state.page.area, frame.width, frame.height);
    state.page.geometry.orientation = paper.orientation;
    state.page.area = paper.area;
    state.placed = OwnPageOn(paper, frame.width, frame.height);
}

HRESULT LayoutFilter::OnFixedPage(IFixedPage* page)
{
    if (page == nullptr) return E_POINTER;
    if (!consumer) return E_PENDING;
    return CatchRaised([&] {
        state.currentTicket = SheetTicketBase{};
        HRESULT hr = ticketManager.OnPageTicket(page);
        if (FAILED(hr)) return hr;
        state.currentTicket.serial = ticketManager.PageTicketSerial();
        LayoutContext context(state, ticketManager, privateNamespace, consumer.Get());
        // Pages without a ticket of their own share their document's: it is
        // examined once for all of them.
        const PageExamination* examination = pageExaminations.Find(ticketManager);
        if (examination == nullptr) {
            PageExamination examined;
            if (IXMLDOMDocument2* ticket = context.CurrentTicket()) {
                hr = ExaminePageTicket(ticket, &examined);
                if (FAILED(hr)) {
                    return NoteStepFailureOf(hr, page,
                                             u"the page's input bin or divide condition cannot be read from its "
                                             u"PrintTicket");
                }
            }
            examination = &pageExaminations.Keep(ticketManager, std::move(examined));
        }
        hr = ApplyPageSettings(*examination);
        if (SUCCEEDED(hr)) TakePageSize(page);
        SheetPlanPass plan(context);
        if (SUCCEEDED(hr)) hr = plan.Plan();
        TransformPass transform(state);
        if (SUCCEEDED(hr)) hr = transform.Place();
        EmitPass emit(context);
        if (SUCCEEDED(hr)) hr = emit.Emit(page);
        state.currentTicket = SheetTicketBase{};
        return NoteStepFailureOf(hr, page, u"the page cannot be laid out on a sheet");
    });
}

HRESULT LayoutFilter::OnJobEnd()
{
    if (!consumer) return E_PENDING;
    return CatchRaised([&] {
        LayoutContext context(state, ticketManager, privateNamespace, consumer.Get());
        EmitPass emit(context);
        HRESULT hr = emit.Flush();
        state.previousTicket = SheetTicketBase{};
        state.sheetB = SheetDescription{};
        return NoteStepFailureOf(hr, static_cast<IFixedPage*>(nullptr), u"the job's last sheet cannot be made");
    });
}
