// OrderFilter: the filter object of tavord. In a booklet job it holds the
// pages back, pads their number to a multiple of four with blank pages and
// sends them in booklet order, in which a later filter placing each
// consecutive pair of pages side by side on a sheet side makes a booklet.
// A booklet ends, and the next one begins, where the pages' divide condition
// changes, where a set of the chosen number of sheets is full (when the job
// is divided into sets) and at the end of the job. All the pages of a booklet
// job go into its first FixedDocument. Any other job passes through
// unchanged and at once.
#pragma once

#include <vector>

#include "booklet_batcher.h"
#include "filtercore/divide_condition_tracker.h"
#include "filtercore/pipeline_filter_base.h"
#include "filtercore/record_string.h"
#include "filtercore/ticket_examination_cache.h"
#include "order_settings.h"

class OrderFilter : public PipelineFilterBase {
public:
    // Raises CXDException(E_OUTOFMEMORY).
    OrderFilter();

    // Job start: merges the job ticket, reads the settings from it and sends
    // the sequence on.
    HRESULT OnFixedDocumentSequence(IFixedDocumentSequence* sequence) override;
    // Document start: merges the document ticket; while the job is no
    // booklet, reads the settings again from it, so that a later document
    // can start one. Only the first document of a booklet is sent on.
    HRESULT OnFixedDocument(IFixedDocument* document) override;
    // Sends the page on, or, in a booklet, flushes the booklet before it
    // when it starts a new one and collects it.
    HRESULT OnFixedPage(IFixedPage* page) override;
    // Flushes the last booklet.
    HRESULT OnJobEnd() override;

private:
    // The settings from the merged ticket of the level.
    HRESULT ReadSettings(TicketLevel level);
    // Whether the page, whose merged ticket is the current page ticket,
    // starts a new booklet; the batcher counts it in the booklet it joins.
    HRESULT StartsNewBooklet(bool* starts);
    HRESULT CollectPage(IFixedPage* page);
    // Gives the page a ticket part of its own holding its merged ticket.
    HRESULT KeepMergedTicket(IFixedPage* page);
    // Keeps a copy of the current page's merged ticket for the padding
    // pages of the booklet it begins.
    HRESULT KeepFirstPageTicket();
    // Pads, orders and sends collectedPages, then empties it. E_PENDING
    // without a consumer; nothing to do outside a booklet or without pages.
    // When padding fails nothing is sent, the pages stay held and the
    // failure is returned.
    HRESULT Flush();
    HRESULT AddPaddingPages();
    // A new blank page of the first page's size carrying the ticket.
    HRESULT MakePaddingPage(IFixedPage* firstPage, IXMLDOMDocument2* ticket, ComPtr<IFixedPage>* padding);
    // The collected pages, padded, in booklet order.
    HRESULT SendInBookletOrder(bool singlePageBeforePadding);

    // Pages held back for the booklet, in arrival order, padding pages at
    // the end; one reference each.
    std::vector<ComPtr<IFixedPage>> collectedPages;
    // Whether a FixedDocument is still sent on.
    bool forwardDocuments = true;
    // Whether the document the booklet's pages go into carries a ticket of
    // its own, and whether the pages of the current, later document take
    // their merged tickets along.
    bool receivingDocumentHasTicket = false;
    bool pagesKeepTheirTickets = false;
    // The merged ticket of the first collected page, for the padding pages.
    ComPtr<IXMLDOMDocument2> firstPageTicket;
    OrderSettings settings;
    DivideConditionTracker divideConditionTracker;
    BookletBatcher batcher;
    // The divide condition of the last merged page ticket read.
    TicketExaminationCache<RecordString> divideConditions;
};
