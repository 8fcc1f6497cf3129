// LayoutFilter: the filter object of tavlay. It imposes the job's pages on
// sheets: N-up (2, 4, 6, 9, 16 or 25 pages a side, in the chosen order,
// with border lines), booklet spreads of pages the order filter put in
// booklet order, and one-up re-imposition of two-sided jobs, so that both
// sides of every sheet lie the same way. Each page is placed by its own
// FixedPage size where that disagrees with its ticket (own_page.h). It
// rewrites the job ticket to one page per sheet and gives every sheet and
// empty side a ticket of its own that describes it. A job without such
// settings passes through unchanged.
#pragma once

#include "filtercore/divide_condition_tracker.h"
#include "filtercore/pipeline_filter_base.h"
#include "filtercore/ticket_examination_cache.h"
#include "layout_state.h"

class LayoutFilter : public PipelineFilterBase {
public:
    // Raises CXDException(E_OUTOFMEMORY).
    LayoutFilter();

    // Base operation, then the pipeline's "LandscapeRotation".
    HRESULT ConnectProviderConsumer() override;
    // Job start: the state reset, the job's settings read, made consistent
    // and written back ("LO" ticket part on the sequence when changed).
    HRESULT OnFixedDocumentSequence(IFixedDocumentSequence* sequence) override;
    // Document start: its settings refreshed; in a job-scoped N-up job only
    // the first document is sent, and the sheets of all follow it.
    HRESULT OnFixedDocument(IFixedDocument* document) override;
    // The page's settings, its slots, their placement and their output.
    HRESULT OnFixedPage(IFixedPage* page) override;
    // The open sheet is sent.
    HRESULT OnJobEnd() override;

private:
    // What the filter reads from a merged page ticket.
    struct PageExamination {
        SheetDescription page;
        INT pageBin = 0;
        bool pageBinRead = false;
        RecordString divideCondition;
        bool divideConditionRead = false;
        PosterSettings poster;
    };

    HRESULT ExaminePageTicket(IXMLDOMDocument2* ticket, PageExamination* examination);
    // The settings pass at Page level, from the examination.
    HRESULT ApplyPageSettings(const PageExamination& examination);
    // The page as it lies on its paper and as it is placed, by its own size
    // where it goes on a sheet or onto tiles.
    void TakePageSize(IFixedPage* page);
    // Stores the ticket as a new "LO" part and attaches it.
    template <class Part>
    HRESULT AttachTicket(Part* part, IXMLDOMDocument2* ticket);

    LayoutState state;
    DivideConditionTracker divideConditionTracker;
    TicketExaminationCache<PageExamination> pageExaminations;
};
