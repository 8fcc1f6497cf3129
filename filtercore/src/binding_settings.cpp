// ReadBinding: binding edge, gutter and booklet, from the keywords feature
// "JobBindAllDocuments", its private sub-features and properties, and the
// private ParameterInit "JobBindBookletDivideSheets".
#include "filtercore/job_settings.h"
#include "filtercore/name_table.h"
#include "filtercore/raised_result.h"
#include "filtercore/read_outcome.h"

namespace {

constexpr WCHAR kBindingFeature[] = u"JobBindAllDocuments";

// Indexed by BindingOption.
constexpr const WCHAR* kBindingOptionNames[] = {u"BindBottom", u"BindLeft", u"BindRight",
                                                u"BindTop",    u"Booklet",  u"BookletReverseFlip"};
constexpr const WCHAR* kBindingUnitNames[] = {u"microns", u"inches"};
constexpr const WCHAR* kBookletMethodNames[] = {u"AllPagesAtOnce", u"DivideIntoSets"};

// The private sub-features of the binding feature and the fields they set.
struct NestedBindingOption {
    const WCHAR* feature;
    NameTable names;
    INT BindingSettings::*field;
};

const NestedBindingOption kNestedOptions[] = {
    {u"BindingGutterControl", kOffOnNames, &BindingSettings::gutterControl},
    {u"BindingUnit", kBindingUnitNames, &BindingSettings::unit},
    {u"BookletPrintingMethod", kBookletMethodNames, &BindingSettings::bookletMethod},
};

// The text of a private ScoredProperty or Property (appendStep) inside the
// binding feature.
template <class AppendStep>
HRESULT ReadInsideFeature(PrintTicketDom& ticket, AppendStep appendStep, OwnedBstr* text)
{
    XPathBuilder path = ticket.NewXPath();
    HRESULT hr = path.AppendFeature(ticket.KeywordsPrefix(), kBindingFeature);
    if (SUCCEEDED(hr)) hr = appendStep(path);
    if (FAILED(hr)) return hr;
    return ticket.ReadValueText(path.Expression(), text->Out());
}

// The option of the feature, and for a known option its gutter and
// DependOnDuplex. Raises CXDException when a name cannot be compared.
HRESULT ReadBindingOption(PrintTicketDom& ticket, BindingSettings* settings)
{
    OwnedBstr option;
    BOOL isPrivate = FALSE;
    HRESULT hr = ticket.GetOptionName(ticket.KeywordsPrefix(), kBindingFeature, option.Out(), &isPrivate);
    if (FAILED(hr)) return hr;
    settings->scope = kSettingScopeJob;
    INT index = NameIndex(option.Get(), kBindingOptionNames, NameComparison::Exact);
    if (index < 0) return S_OK;
    settings->option = index;

    hr = ticket.GetScoredPropertyValueInt(kBindingFeature, u"BindingGutter", &settings->gutter);
    if (FAILED(hr) && !IsAbsence(hr)) return hr;
    OwnedBstr dependOnDuplex;
    hr = ReadInsideFeature(
        ticket,
        [&](XPathBuilder& path) { return path.AppendScoredProperty(ticket.PrivatePrefix(), u"DependOnDuplex"); },
        &dependOnDuplex);
    if (FAILED(hr) && !IsAbsence(hr)) return hr;
    // Only an explicit "False" unties the binding from the duplex setting.
    settings->dependOnDuplex = !(SUCCEEDED(hr) && NameEquals(dependOnDuplex.Get(), u"False", NameComparison::Locale));
    return S_OK;
}

HRESULT ReadNestedOption(PrintTicketDom& ticket, const NestedBindingOption& nested, BindingSettings* settings)
{
    OwnedBstr name;
    BOOL isPrivate = FALSE;
    HRESULT hr = ticket.GetNestedOptionName(ticket.KeywordsPrefix(), kBindingFeature, ticket.PrivatePrefix(),
                                            nested.feature, name.Out(), &isPrivate);
    if (FAILED(hr)) return hr;
    INT index = NameIndex(name.Get(), nested.names, NameComparison::Locale);
    if (index >= 0) settings->*nested.field = index;
    return S_OK;
}

HRESULT ReadSheetsPerSet(PrintTicketDom& ticket, BindingSettings* settings)
{
    XPathBuilder path = ticket.NewXPath();
    HRESULT hr = path.AppendParameterInit(ticket.PrivatePrefix(), u"JobBindBookletDivideSheets");
    if (FAILED(hr)) return hr;
    return ticket.ReadValueInt(path.Expression(), &settings->sheetsPerSet);
}

HRESULT ReadOptionControl(PrintTicketDom& ticket, BindingSettings* settings)
{
    OwnedBstr text;
    HRESULT hr = ReadInsideFeature(
        ticket,
        [&](XPathBuilder& path) { return path.AppendProperty(ticket.PrivatePrefix(), u"BindingOptionControl"); },
        &text);
    if (FAILED(hr)) return hr;
    INT index = NameIndex(text.Get(), kOffOnNames, NameComparison::Locale);
    if (index >= 0) settings->optionControl = index;
    return S_OK;
}

}  // namespace

HRESULT ReadBinding(PrintTicketDom& ticket, BindingSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    return CatchRaised([&] {
        // Every step runs whether or not the feature is there; the first
        // failure that is not an absence ends the read.
        ReadOutcome outcome;
        if (!outcome.Note(ReadBindingOption(ticket, settings))) return outcome.Result();
        for (const NestedBindingOption& nested : kNestedOptions) {
            if (!outcome.Note(ReadNestedOption(ticket, nested, settings))) return outcome.Result();
        }
        if (!outcome.Note(ReadSheetsPerSet(ticket, settings))) return outcome.Result();
        outcome.Note(ReadOptionControl(ticket, settings));
        return outcome.Result();
    });
}
