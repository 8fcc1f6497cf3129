// FinisherFilter: the filter object of tavfin. It finishes each page for the
// device: transverse feed (the media turned in the tickets, the content of a
// page that is not Landscape turned a quarter turn), mirror and reverse
// images (the content flipped or turned a half turn) and poster cut-out lines
// (the content clipped to the printable area, with marks at its corners and
// edge middles). Every other part passes through unchanged.
#pragma once

#include "filtercore/level_ticket_rewrite.h"
#include "filtercore/pipeline_filter_base.h"
#include "filtercore/ticket_examination_cache.h"
#include "finisher_settings.h"

// The filter object keeps, besides the base's members, the examination of
// the last merged page ticket, so that pages without a ticket of their own
// are not examined one by one.
class FinisherFilter : public PipelineFilterBase {
public:
    // The job and document tickets: merged, and replaced by a new ticket
    // part ("FI_JOB", "FI_DOC") holding the whole merged ticket when
    // transverse feed changes it: the job's whether or not the sequence
    // carries a ticket, a document's when it carries one, also unchanged
    // when the job's was replaced. A failed merge is the hook's failure and
    // the part is not sent; a failure while examining or replacing the
    // ticket only leaves the part's ticket as it was.
    HRESULT OnFixedDocumentSequence(IFixedDocumentSequence* sequence) override;
    HRESULT OnFixedDocument(IFixedDocument* document) override;
    // The page rewritten when its merged ticket asks for a turn, a flip or
    // cut-out lines, and given a new ticket part ("FI") with its whole merged
    // ticket when it has a ticket of its own that transverse feed changes or
    // that lay under a replaced job or document ticket. A page without any ticket
    // goes on unchanged; any other failure is the hook's and the page is not
    // sent.
    HRESULT OnFixedPage(IFixedPage* page) override;

private:
    // Examines a copy of the job's or a document's merged ticket.
    LevelTicketRewrite::Examine ExamineLevel();
    HRESULT FinishPage(IFixedPage* page, IXMLDOMDocument2* ticket);

    LevelTicketRewrite levelTickets{ticketManager, u"FI_JOB", u"FI_DOC"};
    PageTicketAttacher pageTickets{ticketManager, u"FI"};
    // What a merged page ticket asks of its pages, and whether examining it
    // changed it (transverse feed).
    struct PageExamination {
        FinisherSettings settings;
        BOOL changed = FALSE;
    };
    TicketExaminationCache<PageExamination> pageExaminations;
};
