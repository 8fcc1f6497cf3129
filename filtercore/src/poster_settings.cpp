// ReadPoster: the keywords feature "PagePoster" with its private
// "PagePrintCutOutLine", and the private "PagePosterData".
#include <algorithm>

#include "filtercore/job_settings.h"
#include "filtercore/name_table.h"
#include "filtercore/property_group_reader.h"
#include "filtercore/raised_result.h"
#include "filtercore/read_outcome.h"

namespace {

constexpr WCHAR kPosterFeature[] = u"PagePoster";

HRESULT ReadSheetsPerPage(PrintTicketDom& ticket, PosterSettings* settings)
{
    HRESULT hr = ticket.FeatureExists(kPosterFeature);
    if (IsAbsence(hr)) settings->sheetsPerPage = 0;
    if (FAILED(hr)) return hr;
    INT sheets = 0;
    hr = ticket.GetScoredPropertyValueInt(kPosterFeature, u"SheetsPerPage", &sheets);
    if (SUCCEEDED(hr)) settings->sheetsPerPage = std::max(sheets, 0);
    return hr;
}

HRESULT ReadCutOutLine(PrintTicketDom& ticket, PosterSettings* settings)
{
    OwnedBstr name;
    BOOL isPrivate = FALSE;
    HRESULT hr = ticket.GetNestedOptionName(ticket.KeywordsPrefix(), kPosterFeature, ticket.PrivatePrefix(),
                                            u"PagePrintCutOutLine", name.Out(), &isPrivate);
    if (FAILED(hr)) return hr;
    return CatchRaised([&] {
        INT index = NameIndex(name.Get(), kOffOnNames, NameComparison::Locale);
        if (index >= 0) settings->printCutOutLine = index;
        return S_OK;
    });
}

HRESULT ReadPosterData(PrintTicketDom& ticket, PosterSettings* settings)
{
    PropertyGroupReader data(ticket, ticket.PrivatePrefix());
    HRESULT hr = data.Open(u"PagePosterData");
    if (SUCCEEDED(hr)) hr = data.ReadInt(u"HideFlag", &settings->hideFlag);
    return hr;
}

}  // namespace

HRESULT ReadPoster(PrintTicketDom& ticket, PosterSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    ReadOutcome outcome;
    outcome.Note(ReadSheetsPerPage(ticket, settings));
    outcome.Note(ReadCutOutLine(ticket, settings));
    outcome.Note(ReadPosterData(ticket, settings));
    return outcome.Result();
}
