// SettingsPass: exchanges settings between a ticket and the imposition
// steps. In gather mode each active step copies its records into the pass,
// so that a setting a ticket does not carry keeps the step's value; the
// readers then fill the pass from the ticket; in apply mode every step takes
// the records back.
#pragma once

#include <string>
#include <vector>

#include "filtercore/ticket_level.h"
#include "layout_state.h"

class SettingsPass final : public StepVisitor {
public:
    enum class Mode { Gather, Apply };

    explicit SettingsPass(TicketLevel level) : level_(level) {}

    // Visits the active steps (gather) or all of them (apply).
    HRESULT Run(LayoutState& state, Mode mode);

    HRESULT VisitPoster(PosterStep& step) override;
    HRESULT VisitNUp(NUpStep& step) override;
    HRESULT VisitBinding(BindingStep& step) override;

    BindingSettings binding;
    DuplexSettings duplex;
    NUpSettings nup;
    PosterSettings poster;

private:
    bool JobOrDocument() const { return level_ == TicketLevel::Job || level_ == TicketLevel::Document; }

    TicketLevel level_;
    Mode mode_ = Mode::Gather;
};

// The settings pass over a job or document ticket: the job's own data
// (separate tray, the first paper of two-sided printing, the second bin) at
// Job level; the steps' records gathered, read from the ticket, made
// consistent and applied; and what had to change written into the ticket
// itself. *ticketChanged tells whether something was written, so that the
// caller stores the ticket as a new ticket part.
//
// The N-up request is a job setting and is read from the job ticket only:
// a document's merged ticket holds the job's request already rewritten to
// one page per sheet. A booklet takes two pages a side, and a count of pages
// per sheet without a grid the next grid up; each such change adds a
// warning to *warnings.
HRESULT RunTicketSettingsPass(LayoutState& state, TicketLevel level, IXMLDOMDocument2* ticket,
                              const WCHAR* privateNamespace, bool* ticketChanged,
                              std::vector<std::u16string>* warnings);
