// ReadDuplex: the job's two-sided printing, from the keywords feature
// "JobDuplexAllDocumentsContiguously" and the private "JobDuplexData".
#include <iterator>

#include "filtercore/job_settings.h"
#include "filtercore/name_table.h"
#include "filtercore/property_group_reader.h"
#include "filtercore/raised_result.h"
#include "filtercore/read_outcome.h"

namespace {

constexpr WCHAR kDuplexFeature[] = u"JobDuplexAllDocumentsContiguously";

// One row per kind (the row's index): the option and the DuplexMode that
// selects it, and the kind an option without a matching DuplexMode gets.
struct DuplexRow {
    const WCHAR* option;
    INT mode;
    INT unspecifiedKind;
};

constexpr DuplexRow kDuplexTable[] = {
    {u"OneSided", kDuplexModeNone, kDuplexOneSided},
    {u"TwoSidedShortEdge", kDuplexModeAutomatic, kDuplexShortEdge},
    {u"TwoSidedShortEdge", kDuplexModeManual, kDuplexShortEdge},
    {u"TwoSidedLongEdge", kDuplexModeAutomatic, kDuplexLongEdge},
    {u"TwoSidedLongEdge", kDuplexModeManual, kDuplexLongEdge},
};

// Indexed by DuplexMode, from kDuplexModeAutomatic on.
constexpr const WCHAR* kDuplexModeNames[] = {u"Automatic", u"Manual"};

// Walks the table for the option. Raises CXDException when a name cannot be
// compared.
HRESULT WalkDuplexTable(PrintTicketDom& ticket, BSTR option, DuplexSettings* settings)
{
    OwnedBstr mode;
    bool modeLookedUp = false;
    HRESULT modeRead = S_OK;
    for (size_t row = 0; row < std::size(kDuplexTable); ++row) {
        const DuplexRow& entry = kDuplexTable[row];
        if (!NameEquals(option, entry.option, NameComparison::Exact)) continue;
        settings->kind = entry.unspecifiedKind;
        settings->mode = kDuplexModeNone;
        if (entry.mode == kDuplexModeNone) return S_OK;
        // The next row of the same option checks the other mode; the mode is
        // read once for both.
        if (!modeLookedUp) {
            modeRead = ticket.GetScoredPropertyValue(kDuplexFeature, u"DuplexMode", mode.Out());
            modeLookedUp = true;
        }
        if (FAILED(modeRead)) return modeRead;
        if (NameEquals(mode.Get(), kDuplexModeNames[entry.mode - kDuplexModeAutomatic], NameComparison::Locale)) {
            settings->kind = static_cast<INT>(row);
            settings->mode = entry.mode;
            return S_OK;
        }
    }
    return S_OK;
}

// firstPaper and subMode say what the ticket says, and 0 when it cannot be
// read.
HRESULT ReadDuplexData(PrintTicketDom& ticket, DuplexSettings* settings)
{
    settings->firstPaper = FALSE;
    settings->subMode = kDuplexModeNone;
    PropertyGroupReader data(ticket, ticket.PrivatePrefix());
    HRESULT hr = data.Open(u"JobDuplexData");
    if (FAILED(hr)) return hr;

    OwnedBstr text;
    hr = data.ReadText(u"TraySeparationMode", &text);
    if (FAILED(hr) && !IsAbsence(hr)) return hr;
    return CatchRaised([&] {
        if (SUCCEEDED(hr))
            settings->firstPaper = NameEquals(text.Get(), u"DuplexPrintFirstPaper", NameComparison::Locale);
        HRESULT subMode = data.ReadText(u"DuplexModeSubData", &text);
        if (FAILED(subMode)) return subMode;
        INT index = NameIndex(text.Get(), kDuplexModeNames, NameComparison::Locale);
        if (index >= 0) settings->subMode = kDuplexModeAutomatic + index;
        return S_OK;
    });
}

}  // namespace

HRESULT ReadDuplex(PrintTicketDom& ticket, DuplexSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    OwnedBstr option;
    HRESULT hr = ticket.GetOptionName(ticket.KeywordsPrefix(), kDuplexFeature, option.Out(), nullptr);
    // A failure to read the option itself ends the read.
    if (FAILED(hr) && !IsAbsence(hr)) return hr;
    ReadOutcome outcome;
    if (IsAbsence(hr)) {
        settings->scope = kSettingScopeNone;
    } else {
        settings->scope = kSettingScopeJob;
        outcome.Note(CatchRaised([&] { return WalkDuplexTable(ticket, option.Get(), settings); }));
    }
    outcome.Note(ReadDuplexData(ticket, settings));
    return outcome.Result();
}
