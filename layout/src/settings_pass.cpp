#include "settings_pass.h"

#include "filtercore/raised_result.h"
#include "platform/wformat.h"

namespace {

constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

bool Tolerable(HRESULT hr) { return SUCCEEDED(hr) || hr == kNotFound; }

// The job's own data, read at Job level: a failure to read the bins ends the
// pass, the other reads keep their values when they fail.
HRESULT ReadJobData(LayoutState& state, PrintTicketDom& ticket)
{
    state.nup.turnOtherWay = state.landscapeRotation == 90;
    JobInfoSettings jobInfo;
    if (SUCCEEDED(ReadJobInfo(ticket, &jobInfo))) state.separateTrayOn = jobInfo.separateTrayMode == 1;
    DuplexSettings duplex;
    if (SUCCEEDED(ReadDuplex(ticket, &duplex))) state.duplexFirstPaper = duplex.firstPaper != FALSE;
    InputBinSettings bins;
    HRESULT hr = ReadInputBins(ticket, &bins);
    if (!Tolerable(hr)) return hr;
    state.bins.SetSecondBin(bins.secondBin);
    return S_OK;
}

struct Changes {
    bool binding = false;
    bool duplex = false;
};

// Pages per sheet that no sheet can hold as asked: a booklet's spreads are
// two pages a side whatever the ticket says, and a count without a grid
// takes the next grid up. Each change is said in a warning.
void LayOutPagesPerSheet(SettingsPass& pass, std::vector<std::u16string>* warnings)
{
    INT asked = pass.nup.pagesPerSheet;
    if (asked < 2) return;
    std::u16string count = FormatWideString(u"%d", asked);
    if (IsBookletBinding(pass.binding)) {
        if (asked == 2) return;
        pass.nup.pagesPerSheet = 2;
        warnings->push_back(u"the job asks for a booklet with " + count +
                            u" pages per sheet; a booklet has two pages a side: printed as 2-up spreads");
        return;
    }
    INT laidOut = PagesPerSheetWithGrid(asked);
    if (laidOut == asked) return;
    pass.nup.pagesPerSheet = laidOut;
    warnings->push_back(u"the job asks for " + count + u" pages per sheet, which no sheet layout has; printed " +
                        FormatWideString(u"%d", laidOut) + u" per sheet");
}

// A booklet is printed two-sided on the short edge: a booklet with a
// one-sided or long-edge job becomes a plain left binding without gutter,
// and a booklet without a duplex setting gets short-edge two-sided printing.
// Fewer than two pages per sheet become one (one-up re-imposition) for a
// two-sided job and none otherwise.
Changes Reconcile(SettingsPass& pass)
{
    Changes changes;
    if (IsBookletBinding(pass.binding)) {
        bool duplexPresent = pass.duplex.scope != kSettingScopeNone;
        if (duplexPresent && pass.duplex.kind != kDuplexShortEdge && pass.duplex.kind != kDuplexShortEdgeManual) {
            pass.binding.option = kBindLeft;
            pass.binding.gutterControl = 0;
            changes.binding = true;
        } else if (!duplexPresent) {
            pass.duplex.scope = kSettingScopeJob;
            pass.duplex.kind = kDuplexShortEdge;
            pass.duplex.mode = kDuplexModeNone;
            changes.duplex = true;
        }
    }
    if (pass.nup.pagesPerSheet < 2) {
        bool twoSided = pass.duplex.scope != kSettingScopeNone && pass.duplex.kind != kDuplexOneSided;
        pass.nup.pagesPerSheet = twoSided ? 1 : 0;
    }
    return changes;
}

HRESULT WriteBack(PrintTicketDom& ticket, TicketLevel level, const SettingsPass& pass, const Changes& changes,
                  bool* written)
{
    HRESULT hr = S_OK;
    if (changes.duplex) {
        hr = WriteDuplex(ticket, pass.duplex);
        if (FAILED(hr)) return hr;
        *written = true;
    }
    if (changes.binding) {
        hr = WriteBinding(ticket, pass.binding);
        if (FAILED(hr)) return hr;
        *written = true;
    }
    // The filters after this one see one page per sheet: the sheets are
    // what they get.
    if (level == TicketLevel::Job && pass.nup.pagesPerSheet > 1 && pass.nup.scope == kSettingScopeJob) {
        NUpSettings onePerSheet;
        onePerSheet.scope = kSettingScopeJob;
        onePerSheet.pagesPerSheet = 1;
        onePerSheet.direction = kNUpRightBottom;
        onePerSheet.border = kNUpBorderSolid;
        hr = WriteNUp(ticket, onePerSheet);
        if (FAILED(hr)) return hr;
        *written = true;
    }
    return S_OK;
}

}  // namespace

bool IsBookletBinding(const BindingSettings& binding)
{
    return binding.scope != kSettingScopeNone &&
           (binding.option == kBindBooklet || binding.option == kBindBookletReverseFlip);
}

HRESULT SettingsPass::Run(LayoutState& state, Mode mode)
{
    mode_ = mode;
    for (size_t i = 0; i < LayoutState::kStepCount; ++i) {
        ImpositionStep* step = state.Steps(i);
        if (mode == Mode::Gather && !step->IsActive()) continue;
        HRESULT hr = step->Accept(*this);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT SettingsPass::VisitBinding(BindingStep& step)
{
    if (mode_ == Mode::Gather) {
        binding = step.binding;
        duplex = step.duplex;
    } else if (JobOrDocument()) {
        step.binding = binding;
        step.duplex = duplex;
    }
    return S_OK;
}

HRESULT SettingsPass::VisitNUp(NUpStep& step)
{
    if (!JobOrDocument()) return S_OK;
    if (mode_ == Mode::Gather) {
        nup = step.settings;
    } else {
        step.settings = nup;
        step.booklet = IsBookletBinding(binding);
    }
    return S_OK;
}

HRESULT SettingsPass::VisitPoster(PosterStep& step)
{
    if (level_ != TicketLevel::Page) return S_OK;
    if (mode_ == Mode::Gather) {
        poster = step.settings;
    } else {
        step.settings = poster;
    }
    return S_OK;
}

HRESULT RunTicketSettingsPass(LayoutState& state, TicketLevel level, IXMLDOMDocument2* ticket,
                              const WCHAR* privateNamespace, bool* ticketChanged, std::vector<std::u16string>* warnings)
{
    *ticketChanged = false;
    if (ticket == nullptr) return S_OK;
    return CatchRaised([&] {
        PrintTicketDom dom(u"PrintTicket", privateNamespace, ticket);
        HRESULT hr = S_OK;
        if (level == TicketLevel::Job) hr = ReadJobData(state, dom);
        SettingsPass pass(level);
        if (SUCCEEDED(hr)) hr = pass.Run(state, SettingsPass::Mode::Gather);
        if (FAILED(hr)) return hr;
        hr = ReadBinding(dom, &pass.binding);
        if (Tolerable(hr)) hr = ReadDuplex(dom, &pass.duplex);
        if (Tolerable(hr) && level == TicketLevel::Job) hr = ReadNUp(dom, &pass.nup);
        if (!Tolerable(hr)) return hr;
        Changes changes = Reconcile(pass);
        LayOutPagesPerSheet(pass, warnings);
        hr = WriteBack(dom, level, pass, changes, ticketChanged);
        if (FAILED(hr)) return hr;
        return pass.Run(state, SettingsPass::Mode::Apply);
    });
}
