// ReadNUp, WriteNUp, ReadInputBins and WriteInputBins: the N-up request and
// the input bins the layout filter reads from tickets and writes into the
// tickets of its sheets.
#include <iterator>

#include "filtercore/name_table.h"
#include "filtercore/property_group_reader.h"
#include "filtercore/property_group_writer.h"
#include "filtercore/raised_result.h"
#include "filtercore/read_outcome.h"
#include "filtercore/ticket_writing.h"
#include "layout_settings.h"

namespace {

constexpr WCHAR kNUpFeature[] = u"JobNUpAllDocumentsContiguously";
constexpr WCHAR kDocumentNUpFeature[] = u"DocumentNUp";
constexpr WCHAR kPageBinFeature[] = u"PageInputBin";
constexpr WCHAR kSecondBinFeature[] = u"JobInput2ndBin";
constexpr WCHAR kBinDataProperty[] = u"PageInputBinData";
constexpr WCHAR kInvalidSecondBin[] = u"InvalidSecondBinData";

// Indexed by the codes of PresentationDirection and BorderLineKind.
constexpr const WCHAR* kDirectionNames[] = {u"RightBottom", u"BottomRight", u"LeftBottom", u"BottomLeft"};
constexpr const WCHAR* kBorderNames[] = {u"None", u"SolidLine", u"BreakLine"};

struct BinRow {
    const WCHAR* name;
    BOOL isPrivate;
};

constexpr BinRow kBins[kBinTableSize] = {
    {u"AutoSelect", FALSE}, {u"SameTray", TRUE}, {u"Tray1", TRUE},   {u"Tray2", TRUE},
    {u"Tray3", TRUE},       {u"Tray4", TRUE},    {u"TrayID1", TRUE}, {u"TrayID2", TRUE},
    {u"TrayID3", TRUE},     {u"TrayID4", TRUE},  {u"Manual", FALSE}, {u"MPTray", TRUE},
};

bool IsBinRow(INT bin) { return bin >= 0 && bin < kBinTableSize; }

// The option of the feature looked up in the bin table: a name in the table
// sets the bin from its row, or from the fallback row when the option was
// written in the other namespace; other names change nothing.
HRESULT ReadBin(PrintTicketDom& ticket, const WCHAR* featurePrefix, const WCHAR* feature, INT fallbackRow, INT* bin,
                RecordString* name, BOOL* isPrivate)
{
    OwnedBstr option;
    BOOL optionIsPrivate = FALSE;
    HRESULT hr = ticket.GetOptionName(featurePrefix, feature, option.Out(), &optionIsPrivate);
    if (FAILED(hr)) return hr;
    INT row = -1;
    for (INT i = 0; i < kBinTableSize && row < 0; ++i) {
        if (NameEquals(option.Get(), kBins[i].name, NameComparison::Exact)) row = i;
    }
    if (row < 0) return S_OK;
    if (kBins[row].isPrivate != optionIsPrivate) row = fallbackRow;
    *bin = row;
    *name = RecordString(kBins[row].name);
    *isPrivate = kBins[row].isPrivate;
    return S_OK;
}

HRESULT AppendBinFeature(PrintTicketDom& ticket, IXMLDOMNode* root, BOOL featureIsPrivate, const WCHAR* feature,
                         INT bin)
{
    if (!IsBinRow(bin)) return S_OK;
    return AppendFeatureWithOption(ticket, root, featureIsPrivate, feature, kBins[bin].isPrivate, kBins[bin].name,
                                   nullptr);
}

}  // namespace

HRESULT ReadNUp(PrintTicketDom& ticket, NUpSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    return CatchRaised([&] {
        HRESULT hr = ticket.FeatureExists(kNUpFeature);
        bool requested = SUCCEEDED(hr);
        if (FAILED(hr) && !IsAbsence(hr)) return hr;
        if (requested) {
            INT pages = 0;
            hr = ticket.GetScoredPropertyValueInt(kNUpFeature, u"PagesPerSheet", &pages);
            if (SUCCEEDED(hr)) settings->pagesPerSheet = pages;
            OwnedBstr direction;
            if (SUCCEEDED(hr)) {
                hr = ticket.GetNestedOptionName(ticket.KeywordsPrefix(), kNUpFeature, ticket.KeywordsPrefix(),
                                                u"PresentationDirection", direction.Out(), nullptr);
            }
            if (FAILED(hr) && !IsAbsence(hr)) return hr;
            requested = SUCCEEDED(hr);
            if (requested && settings->pagesPerSheet < 1) {
                settings->pagesPerSheet = 1;
            } else if (requested) {
                settings->scope = kSettingScopeJob;
                INT index = NameIndex(direction.Get(), kDirectionNames, NameComparison::Locale);
                if (index >= 0) settings->direction = index;
            }
            OwnedBstr border;
            BOOL borderIsPrivate = FALSE;
            hr = ticket.GetNestedOptionName(ticket.KeywordsPrefix(), kNUpFeature, ticket.PrivatePrefix(), u"BorderLine",
                                            border.Out(), &borderIsPrivate);
            if (FAILED(hr) && !IsAbsence(hr)) return hr;
            if (SUCCEEDED(hr)) {
                INT index = NameIndex(border.Get(), kBorderNames, NameComparison::Locale);
                if (index >= 0) settings->border = index;
            }
        }
        if (!requested) settings->scope = kSettingScopeNone;
        return S_OK;
    });
}

HRESULT WriteNUp(PrintTicketDom& ticket, const NUpSettings& settings)
{
    return CatchRaised([&] {
        ComPtr<IXMLDOMNode> root;
        HRESULT hr = SelectTicketRoot(ticket, &root);
        if (SUCCEEDED(hr)) hr = ticket.RemoveFeature(kNUpFeature);
        if (SUCCEEDED(hr)) hr = ticket.RemoveFeature(kDocumentNUpFeature);
        if (FAILED(hr) || settings.pagesPerSheet < 1) return hr;
        const WCHAR* direction = ChoiceName(settings.direction, kDirectionNames);
        const WCHAR* border = ChoiceName(settings.border, kBorderNames);
        if (direction == nullptr || border == nullptr) return E_INVALIDARG;

        ComPtr<IXMLDOMElement> feature, option, pages, subFeature, subOption;
        hr = ticket.CreateFeature(FALSE, kNUpFeature, feature.Out(), option.Out());
        if (SUCCEEDED(hr))
            hr = ticket.CreateIntScoredProperty(ticket.KeywordsPrefix(), u"PagesPerSheet", settings.pagesPerSheet,
                                                pages.Out());
        if (SUCCEEDED(hr)) hr = option->appendChild(pages.Get(), nullptr);
        if (SUCCEEDED(hr))
            hr = ticket.CreateFeatureWithOption(FALSE, u"PresentationDirection", FALSE, direction, subFeature.Out(),
                                                subOption.Out());
        if (SUCCEEDED(hr)) hr = feature->appendChild(subFeature.Get(), nullptr);
        if (SUCCEEDED(hr))
            hr = ticket.CreateFeatureWithOption(TRUE, u"BorderLine", TRUE, border, subFeature.Out(), subOption.Out());
        if (SUCCEEDED(hr)) hr = feature->appendChild(subFeature.Get(), nullptr);
        if (SUCCEEDED(hr)) hr = root->appendChild(feature.Get(), nullptr);
        return hr;
    });
}

HRESULT ReadInputBins(PrintTicketDom& ticket, InputBinSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    return CatchRaised([&] {
        HRESULT hr = ReadBin(ticket, ticket.KeywordsPrefix(), kPageBinFeature, kBinAutoSelect, &settings->pageBin,
                             &settings->pageBinName, &settings->pageBinIsPrivate);
        if (SUCCEEDED(hr) || IsAbsence(hr)) {
            ReadBin(ticket, ticket.PrivatePrefix(), kSecondBinFeature, kBinSameTray, &settings->secondBin,
                    &settings->secondBinName, &settings->secondBinIsPrivate);
        }
        PropertyGroupReader data(ticket, ticket.PrivatePrefix());
        hr = data.Open(kBinDataProperty);
        OwnedBstr text;
        if (SUCCEEDED(hr)) hr = data.ReadText(u"SecondBinData", &text);
        if (IsAbsence(hr)) return S_OK;
        if (FAILED(hr)) return hr;
        settings->secondBinInvalid = NameEquals(text.Get(), kInvalidSecondBin, NameComparison::Locale);
        return S_OK;
    });
}

HRESULT WriteInputBins(PrintTicketDom& ticket, const InputBinSettings& settings)
{
    return CatchRaised([&] {
        ComPtr<IXMLDOMNode> root;
        HRESULT hr = SelectTicketRoot(ticket, &root);
        if (SUCCEEDED(hr)) hr = ticket.RemoveFeature(kPageBinFeature);
        if (SUCCEEDED(hr)) hr = ticket.RemovePrivateFeature(kSecondBinFeature);
        if (SUCCEEDED(hr)) hr = ticket.RemoveProperty(kBinDataProperty);
        if (SUCCEEDED(hr)) hr = AppendBinFeature(ticket, root.Get(), FALSE, kPageBinFeature, settings.pageBin);
        if (SUCCEEDED(hr)) hr = AppendBinFeature(ticket, root.Get(), TRUE, kSecondBinFeature, settings.secondBin);
        if (FAILED(hr) || !settings.secondBinInvalid) return hr;
        PropertyGroupWriter data(ticket, ticket.PrivatePrefix(), kBinDataProperty);
        data.Text(u"SecondBinData", RecordString(kInvalidSecondBin));
        return data.AppendTo(root.Get());
    });
}
