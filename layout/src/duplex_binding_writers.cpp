// WriteDuplex and WriteBinding: the job's two-sided printing and binding as
// the layout filter writes them back when it makes them consistent.
#include "filtercore/name_table.h"
#include "filtercore/property_group_writer.h"
#include "filtercore/raised_result.h"
#include "filtercore/ticket_strings.h"
#include "filtercore/ticket_writing.h"
#include "layout_settings.h"

namespace {

constexpr WCHAR kDuplexFeature[] = u"JobDuplexAllDocumentsContiguously";
constexpr WCHAR kBindingFeature[] = u"JobBindAllDocuments";

// Indexed by DuplexKind: the option and whether it is two-sided.
constexpr const WCHAR* kDuplexOptionNames[] = {u"OneSided", u"TwoSidedShortEdge", u"TwoSidedShortEdge",
                                               u"TwoSidedLongEdge", u"TwoSidedLongEdge"};
// Indexed by DuplexMode, from kDuplexModeAutomatic on.
constexpr const WCHAR* kDuplexModeNames[] = {u"Automatic", u"Manual"};

// Indexed by BindingOption; the last option is private.
constexpr const WCHAR* kBindingOptionNames[] = {u"BindBottom", u"BindLeft", u"BindRight",
                                                u"BindTop",    u"Booklet",  u"BookletReverseFlip"};
constexpr const WCHAR* kBindingUnitNames[] = {u"microns", u"inches"};
constexpr const WCHAR* kBookletMethodNames[] = {u"AllPagesAtOnce", u"DivideIntoSets"};

bool IsScope(INT scope) { return scope >= -1 && scope <= 1; }

// A private sub-feature with a private option, appended to parent.
HRESULT AppendPrivateSubFeature(PrintTicketDom& ticket, IXMLDOMElement* parent, const WCHAR* name, const WCHAR* option)
{
    ComPtr<IXMLDOMElement> feature, newOption;
    HRESULT hr = ticket.CreateFeatureWithOption(TRUE, name, TRUE, option, feature.Out(), newOption.Out());
    if (SUCCEEDED(hr)) hr = parent->appendChild(feature.Get(), nullptr);
    return hr;
}

// The binding settings of one feature name: the feature with its
// parameters, its gutter ParameterInit and its booklet set size.
HRESULT RemoveBindingSettings(PrintTicketDom& ticket, const WCHAR* feature, const WCHAR* gutter,
                              const WCHAR* divideSheets)
{
    HRESULT hr = ticket.RemoveFeature(feature);
    if (SUCCEEDED(hr)) hr = ticket.RemoveParameterInit(gutter);
    if (SUCCEEDED(hr)) hr = ticket.RemovePrivateParameterInit(divideSheets);
    return hr;
}

HRESULT AppendBinding(PrintTicketDom& ticket, IXMLDOMNode* root, const BindingSettings& settings)
{
    ComPtr<IXMLDOMElement> feature, option;
    HRESULT hr = ticket.CreateFeatureWithOption(FALSE, kBindingFeature, settings.option == kBindBookletReverseFlip,
                                                kBindingOptionNames[settings.option], feature.Out(), option.Out());
    if (FAILED(hr)) return hr;
    ComPtr<IXMLDOMElement> reference, gutterInit, gutter, depend, control;
    hr = ticket.CreateIntParameter(u"JobBindAllDocumentsGutter", settings.gutter, reference.Out(), gutterInit.Out());
    if (SUCCEEDED(hr))
        hr = ticket.WrapInScoredProperty(ticket.KeywordsPrefix(), u"BindingGutter", reference.Get(), gutter.Out());
    if (SUCCEEDED(hr)) hr = option->appendChild(gutter.Get(), nullptr);
    if (SUCCEEDED(hr))
        hr = ticket.CreateScoredPropertyWithValue(ticket.PrivatePrefix(), u"DependOnDuplex", u"string",
                                                  settings.dependOnDuplex ? u"True" : u"False", depend.Out());
    if (SUCCEEDED(hr)) hr = option->appendChild(depend.Get(), nullptr);
    if (SUCCEEDED(hr))
        hr = ticket.CreatePropertyWithValue(ticket.PrivatePrefix(), u"BindingOptionControl", u"string",
                                            ChoiceName(settings.optionControl, kOffOnNames), control.Out());
    if (SUCCEEDED(hr)) hr = feature->appendChild(control.Get(), nullptr);
    if (SUCCEEDED(hr))
        hr = AppendPrivateSubFeature(ticket, feature.Get(), u"BindingGutterControl",
                                     ChoiceName(settings.gutterControl, kOffOnNames));
    if (SUCCEEDED(hr))
        hr = AppendPrivateSubFeature(ticket, feature.Get(), u"BindingUnit", kBindingUnitNames[settings.unit]);
    if (SUCCEEDED(hr)) {
        const WCHAR* method = ChoiceName(settings.bookletMethod, kBookletMethodNames);
        hr = AppendPrivateSubFeature(ticket, feature.Get(), u"BookletPrintingMethod", method);
    }
    if (SUCCEEDED(hr)) hr = root->appendChild(feature.Get(), nullptr);
    if (SUCCEEDED(hr)) hr = root->appendChild(gutterInit.Get(), nullptr);
    ComPtr<IXMLDOMElement> sheets;
    if (SUCCEEDED(hr)) {
        OwnedBstr text = FormatBstr(u"%i", settings.sheetsPerSet);
        hr = ticket.CreateParameter(ticket.PrivatePrefix(), u"JobBindBookletDivideSheets", u"integer", text.Get(),
                                    nullptr, sheets.Out());
    }
    if (SUCCEEDED(hr)) hr = root->appendChild(sheets.Get(), nullptr);
    return hr;
}

}  // namespace

HRESULT WriteDuplex(PrintTicketDom& ticket, const DuplexSettings& settings)
{
    if (!IsScope(settings.scope) || settings.kind < kDuplexOneSided || settings.kind > kDuplexLongEdgeManual ||
        settings.mode < kDuplexModeNone || settings.mode > kDuplexModeManual)
        return E_INVALIDARG;
    return CatchRaised([&] {
        ComPtr<IXMLDOMNode> root;
        HRESULT hr = SelectTicketRoot(ticket, &root);
        if (SUCCEEDED(hr)) hr = ticket.RemoveFeature(kDuplexFeature);
        if (SUCCEEDED(hr)) hr = ticket.RemoveFeature(u"DocumentDuplex");
        if (SUCCEEDED(hr)) hr = ticket.RemoveProperty(u"JobDuplexData");
        if (FAILED(hr)) return hr;
        if (settings.scope != kSettingScopeNone) {
            ComPtr<IXMLDOMElement> option;
            hr = AppendFeatureWithOption(ticket, root.Get(), FALSE, kDuplexFeature, FALSE,
                                         kDuplexOptionNames[settings.kind], &option);
            if (SUCCEEDED(hr) && settings.kind != kDuplexOneSided && settings.mode != kDuplexModeNone) {
                ComPtr<IXMLDOMElement> mode;
                hr = ticket.CreateScoredPropertyWithValue(ticket.KeywordsPrefix(), u"DuplexMode", u"string",
                                                          kDuplexModeNames[settings.mode - kDuplexModeAutomatic],
                                                          mode.Out());
                if (SUCCEEDED(hr)) hr = option->appendChild(mode.Get(), nullptr);
            }
            if (FAILED(hr)) return hr;
        }
        PropertyGroupWriter data(ticket, ticket.PrivatePrefix(), u"JobDuplexData");
        data.Text(u"TraySeparationMode",
                  RecordString(settings.firstPaper ? u"DuplexPrintFirstPaper" : u"DuplexPrintFirstPage"));
        if (settings.subMode == kDuplexModeAutomatic || settings.subMode == kDuplexModeManual)
            data.Text(u"DuplexModeSubData", RecordString(kDuplexModeNames[settings.subMode - kDuplexModeAutomatic]));
        return data.AppendTo(root.Get());
    });
}

HRESULT WriteBinding(PrintTicketDom& ticket, const BindingSettings& settings)
{
    if (settings.option < kBindBottom || settings.option > kBindBookletReverseFlip || !IsScope(settings.scope) ||
        settings.unit < 0 || settings.unit > 1)
        return E_INVALIDARG;
    return CatchRaised([&] {
        ComPtr<IXMLDOMNode> root;
        HRESULT hr = SelectTicketRoot(ticket, &root);
        if (SUCCEEDED(hr))
            hr = RemoveBindingSettings(ticket, kBindingFeature, u"JobBindAllDocumentsGutter",
                                       u"JobBindBookletDivideSheets");
        if (SUCCEEDED(hr))
            hr = RemoveBindingSettings(ticket, u"DocumentBinding", u"DocumentBindingGutter",
                                       u"DocumentBindBookletDivideSheets");
        if (FAILED(hr) || settings.scope == kSettingScopeNone) return hr;
        return AppendBinding(ticket, root.Get(), settings);
    });
}
