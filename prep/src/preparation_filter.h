// PreparationFilter: the filter object of tavprep. It scales each page onto
// the paper its ticket asks for and will add the page's decorations
// (watermark, header/footer line) with the parts they need; the job's and
// each document's tickets get the scaling applied to the ticket alone.
// Every other part passes through unchanged.
//
// Text and bitmap watermarks and the header/footer line are drawn.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "filtercore/job_settings.h"
#include "filtercore/level_ticket_rewrite.h"
#include "filtercore/pipeline_filter_base.h"
#include "filtercore/ticket_examination_cache.h"
#include "header_footer_settings.h"
#include "header_footer_text.h"
#include "language_library.h"
#include "preparation_context.h"
#include "resource_part_cache.h"
#include "text_font_cache.h"
#include "text_watermark.h"
#include "watermark_image_files.h"
#include "watermark_settings.h"

class PreparationFilter : public PipelineFilterBase {
public:
    ~PreparationFilter() override;

    // The job's merged ticket, and a document's when it carries a ticket of
    // its own, scaled (the scaling's paper written into it, PageScaling reset
    // to None) and attached as a new ticket part ("SC_JOB", "SC_DOC") when
    // the ticket asks for scaling. The job's is examined also when the
    // sequence carries no ticket: scaling may come from the user's default
    // ticket alone, and the filters after this one must not see it pending.
    // A document's own ticket under a scaled job ticket is attached whole
    // in any case. A failed merge is the hook's failure; a failure while
    // examining or replacing the ticket leaves it as it was.
    HRESULT OnFixedDocumentSequence(IFixedDocumentSequence* sequence) override;
    HRESULT OnFixedDocument(IFixedDocument* document) override;
    // The page rewritten (PageMarkupRewriter) when its scaling or its
    // decorations ask for it, and given its scaled merged ticket as a new
    // ticket part ("SC") when it carries a ticket of its own (also when it
    // is not scaled but a ticket above it was). A page with nothing to do is
    // sent on as it came. A failed merge, examination or
    // rewrite is the hook's failure and the page is not sent; a ticket
    // without the device's imageable area leaves the page unchanged.
    HRESULT OnFixedPage(IFixedPage* page) override;

private:
    // What a merged page ticket asks of its pages: the result of examining
    // it, whether the examination changed the ticket, the page's scaling and
    // its watermark settings, its header/footer settings with the job
    // information and the printable area (XPS units) the line is laid out in
    // (each absent when it cannot be read).
    struct PageExamination {
        HRESULT result = S_OK;
        bool changed = false;
        std::optional<ScalingState> scaling;
        std::optional<PageWatermarkSettings> watermark;
        std::optional<HeaderFooterSettings> headerFooter;
        JobInfoSettings jobInfo;
        std::optional<Gdiplus::RectF> imageableArea;
    };

    // The decorations' settings and the scaling step on the page's merged
    // ticket.
    PageExamination ExaminePageTicket(PreparationContext& context, IXMLDOMDocument2* ticket);
    // The page's decorations, built into the context from its ticket's
    // settings for the job's page number (counted from 1 across documents):
    // a text decoration asked for with the same settings and text as on the
    // page before is that page's decoration again, its fragment kept while
    // the pages are alike; otherwise it is built anew, with the text
    // measured and the font read once for the pages that ask for the same
    // (textFonts). A decoration that cannot be built is left out.
    void BuildDecorations(PreparationContext& context, const PageExamination& examined, LONG jobPageNumber);
    void BuildWatermark(PreparationContext& context, const PageExamination& examined, LONG jobPageNumber);
    // The line is composed for each page: its time may be the page's own.
    void BuildHeaderFooter(PreparationContext& context, const PageExamination& examined);
    std::shared_ptr<PageDecoration> TextWatermarkFor(const DecorationData& data);
    std::shared_ptr<PageDecoration> HeaderFooterFor(const DecorationData& data, std::u16string line);
    // The header/footer's settings, the job information and the printable
    // area, read before the scaling step changes the ticket's paper.
    void ReadHeaderFooter(PreparationContext& context, IXMLDOMDocument2* ticket, PageExamination& examination);
    // Lists the decorations' parts as the page's resources; a decoration
    // whose parts cannot be had is dropped from this page, and not kept
    // for the next.
    void PrepareDecorations(PreparationContext& context, IFixedPage* page);
    HRESULT PreparePage(IFixedPage* page, IXMLDOMDocument2* ticket);
    // Scales a copy of the job's or a document's merged ticket.
    LevelTicketRewrite::Examine ScaleLevel();

    LevelTicketRewrite levelTickets{ticketManager, u"SC_JOB", u"SC_DOC"};
    PageTicketAttacher pageTickets{ticketManager, u"SC"};
    TicketExaminationCache<PageExamination> pageExaminations;
    ResourcePartCache resourceParts;
    WatermarkImageFiles watermarkImages;
    // What the text decorations of one page measured and loaded, for the
    // pages after it.
    TextFontCache textFonts;
    LanguageLibrary languageLibrary;
    // The text decorations of the last page that had them.
    std::shared_ptr<TextWatermark> keptTextWatermark;
    std::shared_ptr<HeaderFooterText> keptHeaderFooter;
};
