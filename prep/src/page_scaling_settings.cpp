#include "page_scaling_settings.h"

#include <iterator>
#include <string_view>

#include "filtercore/raised_result.h"
#include "setting_rows.h"

namespace {

constexpr WCHAR kScalingFeature[] = u"PageScaling";
constexpr WCHAR kAlignmentFeature[] = u"ScaleOffsetAlignment";
constexpr WCHAR kFitMediaFeature[] = u"FitMediaSize";
constexpr WCHAR kFitMediaWidth[] = u"FitMediaSizeWidth";
constexpr WCHAR kFitMediaHeight[] = u"FitMediaSizeHeight";
constexpr WCHAR kScalingData[] = u"PageScalingData";
constexpr WCHAR kScalePrintableArea[] = u"ScalePrintableArea";
constexpr WCHAR kCorrectFixedPageSize[] = u"CorrectFixedPageSize";
constexpr WCHAR kFitToCustomPaperTemp[] = u"FitToCustomPaperTemp";

// Indexed by PageScalingOption; only FitToPaper is a private name.
constexpr const WCHAR* kOptionNames[] = {
    u"None",
    u"FitToPaper",
    u"CustomSquare",
    u"FitApplicationBleedSizeToPageImageableSize",
    u"FitApplicationContentSizeToPageImageableSize",
    u"FitApplicationMediaSizeToPageImageableSize",
    u"FitApplicationMediaSizeToPageMediaSize",
};
static_assert(std::size(kOptionNames) == kScalingOptionCount);

// Indexed by ScaleOffsetAlignment.
constexpr const WCHAR* kAlignmentNames[] = {
    u"BottomCenter", u"BottomLeft", u"BottomRight", u"Center",   u"LeftCenter",
    u"RightCenter",  u"TopCenter",  u"TopLeft",     u"TopRight",
};
static_assert(std::size(kAlignmentNames) == kAlignmentCount);

// CustomSquare's three values: the ScoredProperty in the option and the
// ParameterInit that holds its number.
struct CustomValue {
    const WCHAR* property;
    const WCHAR* parameter;
    INT PageScalingSettings::*field;
};
constexpr CustomValue kCustomValues[] = {
    {u"Scale", u"PageScalingScale", &PageScalingSettings::scale},
    {u"OffsetWidth", u"PageScalingOffsetWidth", &PageScalingSettings::offsetWidth},
    {u"OffsetHeight", u"PageScalingOffsetHeight", &PageScalingSettings::offsetHeight},
};

bool IsOn(BSTR text) { return text != nullptr && std::u16string_view(text, SysStringLen(text)) == u"On"; }

// A value that is absent keeps the field; any other failure is returned.
HRESULT ReadOptionalInt(HRESULT hr, INT value, INT* field)
{
    if (SUCCEEDED(hr) && hr != S_FALSE) *field = value;
    return SettingAbsent(hr) ? S_OK : hr;
}

HRESULT ReadScalingValues(PrintTicketDom& ticket, PageScalingSettings& settings)
{
    for (const CustomValue& custom : kCustomValues) {
        INT value = 0;
        HRESULT hr = ticket.GetScoredPropertyValueInt(kScalingFeature, custom.property, &value);
        hr = ReadOptionalInt(hr, value, &(settings.*custom.field));
        if (FAILED(hr)) return hr;
    }

    OwnedBstr alignment;
    HRESULT hr = ticket.GetNestedOptionName(ticket.KeywordsPrefix(), kScalingFeature, ticket.KeywordsPrefix(),
                                            kAlignmentFeature, alignment.Out(), nullptr);
    if (FAILED(hr) && !SettingAbsent(hr)) return hr;
    if (SUCCEEDED(hr)) {
        INT row = RowOf(alignment.Get(), kAlignmentNames);
        if (row >= 0) settings.alignment = row;
    }

    // The paper is taken only with both of its sizes.
    OwnedBstr media;
    BOOL mediaIsPrivate = FALSE;
    hr = ticket.GetNestedOptionName(ticket.KeywordsPrefix(), kScalingFeature, ticket.PrivatePrefix(), kFitMediaFeature,
                                    media.Out(), &mediaIsPrivate);
    if (FAILED(hr) && !SettingAbsent(hr)) return hr;
    INT width = 0;
    INT height = 0;
    HRESULT widthRead = ticket.GetScoredPropertyValueInt(kScalingFeature, kFitMediaWidth, &width);
    HRESULT heightRead = ticket.GetScoredPropertyValueInt(kScalingFeature, kFitMediaHeight, &height);
    if (FAILED(widthRead) && !SettingAbsent(widthRead)) return widthRead;
    if (FAILED(heightRead) && !SettingAbsent(heightRead)) return heightRead;
    if (widthRead == S_OK && heightRead == S_OK) {
        settings.fitMedia.SetMedia(SUCCEEDED(hr) ? media.Get() : settings.fitMedia.MediaName(), width, height,
                                   SUCCEEDED(hr) ? mediaIsPrivate : settings.fitMedia.nameIsPrivate);
    }
    return S_OK;
}

// The text of the member of PageScalingData; absence is S_FALSE.
HRESULT ReadDataText(PrintTicketDom& ticket, const WCHAR* member, OwnedBstr* text)
{
    XPathBuilder path = ticket.NewXPath();
    HRESULT hr = path.AppendProperty(ticket.PrivatePrefix(), kScalingData);
    if (SUCCEEDED(hr)) hr = path.AppendProperty(ticket.PrivatePrefix(), member);
    if (FAILED(hr)) return hr;
    hr = ticket.ReadValueText(path.Expression(), text->Out());
    return SettingAbsent(hr) ? S_FALSE : hr;
}

HRESULT ReadScalingData(PrintTicketDom& ticket, PageScalingSettings& settings)
{
    settings.scalePrintableArea = FALSE;
    settings.correctFixedPageSize = FALSE;
    XPathBuilder group = ticket.NewXPath();
    HRESULT hr = group.AppendProperty(ticket.PrivatePrefix(), kScalingData);
    if (FAILED(hr)) return hr;
    if (group.Expression() == nullptr || ticket.NodeExists(group.Expression()) != S_OK) return S_OK;

    OwnedBstr text;
    hr = ReadDataText(ticket, kScalePrintableArea, &text);
    if (FAILED(hr)) return hr;
    settings.scalePrintableArea = hr == S_OK && IsOn(text.Get());
    hr = ReadDataText(ticket, kCorrectFixedPageSize, &text);
    if (FAILED(hr)) return hr;
    settings.correctFixedPageSize = hr == S_OK && IsOn(text.Get());

    XPathBuilder temp = ticket.NewXPath();
    hr = temp.CopyFrom(group);
    if (SUCCEEDED(hr)) hr = temp.AppendProperty(ticket.PrivatePrefix(), kFitToCustomPaperTemp);
    if (FAILED(hr)) return hr;
    INT value = settings.fitToCustomPaperTemp;
    hr = ticket.ReadValueInt(temp.Expression(), &value);
    if (SUCCEEDED(hr)) settings.fitToCustomPaperTemp = static_cast<SHORT>(value);
    return SettingAbsent(hr) ? S_OK : hr;
}

HRESULT Read(PrintTicketDom& ticket, PageScalingSettings& settings)
{
    OwnedBstr option;
    BOOL isPrivate = FALSE;
    HRESULT hr = ticket.GetOptionName(ticket.KeywordsPrefix(), kScalingFeature, option.Out(), &isPrivate);
    if (FAILED(hr) && !SettingAbsent(hr)) return hr;
    if (SUCCEEDED(hr)) {
        INT row = RowOf(option.Get(), kOptionNames);
        if (row >= 0) {
            settings.option = row;
            hr = ReadScalingValues(ticket, settings);
            if (FAILED(hr)) return hr;
        }
    }
    hr = ReadScalingData(ticket, settings);
    if (FAILED(hr)) return hr;
    return settings.option >= 0 && settings.option < kScalingOptionCount ? S_OK : E_FAIL;
}

HRESULT AppendChild(IXMLDOMNode* parent, IXMLDOMElement* child) { return parent->appendChild(child, nullptr); }

// CustomSquare's Scale, OffsetWidth and OffsetHeight: a ParameterInit on
// the root and a ScoredProperty referring to it in the option.
HRESULT AppendCustomValues(PrintTicketDom& ticket, IXMLDOMNode* root, IXMLDOMElement* option,
                           const PageScalingSettings& settings)
{
    for (const CustomValue& custom : kCustomValues) {
        ComPtr<IXMLDOMElement> reference;
        ComPtr<IXMLDOMElement> initialiser;
        ComPtr<IXMLDOMElement> scored;
        HRESULT hr =
            ticket.CreateIntParameter(custom.parameter, settings.*custom.field, reference.Out(), initialiser.Out());
        if (SUCCEEDED(hr)) hr = AppendChild(root, initialiser.Get());
        if (SUCCEEDED(hr))
            hr = ticket.WrapInScoredProperty(ticket.KeywordsPrefix(), custom.property, reference.Get(), scored.Out());
        if (SUCCEEDED(hr)) hr = AppendChild(option, scored.Get());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT AppendFitMedia(PrintTicketDom& ticket, IXMLDOMElement* scaling, const PageGeometry& media)
{
    ComPtr<IXMLDOMElement> feature;
    ComPtr<IXMLDOMElement> option;
    ComPtr<IXMLDOMElement> width;
    ComPtr<IXMLDOMElement> height;
    HRESULT hr = ticket.CreateFeatureWithOption(TRUE, kFitMediaFeature, media.nameIsPrivate, media.MediaName(),
                                                feature.Out(), option.Out());
    if (SUCCEEDED(hr))
        hr = ticket.CreateIntScoredProperty(ticket.KeywordsPrefix(), kFitMediaWidth, media.width, width.Out());
    if (SUCCEEDED(hr)) hr = AppendChild(option.Get(), width.Get());
    if (SUCCEEDED(hr))
        hr = ticket.CreateIntScoredProperty(ticket.KeywordsPrefix(), kFitMediaHeight, media.height, height.Out());
    if (SUCCEEDED(hr)) hr = AppendChild(option.Get(), height.Get());
    if (SUCCEEDED(hr)) hr = AppendChild(scaling, feature.Get());
    return hr;
}

HRESULT AppendScalingFeature(PrintTicketDom& ticket, IXMLDOMNode* root, const PageScalingSettings& settings)
{
    ComPtr<IXMLDOMElement> feature;
    ComPtr<IXMLDOMElement> option;
    HRESULT hr = ticket.CreateFeatureWithOption(FALSE, kScalingFeature, settings.option == kScalingFitToPaper,
                                                kOptionNames[settings.option], feature.Out(), option.Out());
    if (SUCCEEDED(hr)) hr = AppendChild(root, feature.Get());
    if (SUCCEEDED(hr) && settings.option == kScalingCustomSquare)
        hr = AppendCustomValues(ticket, root, option.Get(), settings);

    ComPtr<IXMLDOMElement> alignment;
    ComPtr<IXMLDOMElement> alignmentOption;
    if (SUCCEEDED(hr))
        hr = ticket.CreateFeatureWithOption(FALSE, kAlignmentFeature, FALSE, kAlignmentNames[settings.alignment],
                                            alignment.Out(), alignmentOption.Out());
    if (SUCCEEDED(hr)) hr = AppendChild(feature.Get(), alignment.Get());
    if (SUCCEEDED(hr)) hr = AppendFitMedia(ticket, feature.Get(), settings.fitMedia);
    return hr;
}

HRESULT AppendScalingData(PrintTicketDom& ticket, IXMLDOMNode* root, const PageScalingSettings& settings)
{
    ComPtr<IXMLDOMElement> data;
    ComPtr<IXMLDOMElement> correct;
    ComPtr<IXMLDOMElement> temp;
    HRESULT hr = ticket.CreateProperty(ticket.PrivatePrefix(), kScalingData, data.Out());
    if (SUCCEEDED(hr))
        hr = ticket.CreatePropertyWithValue(ticket.PrivatePrefix(), kCorrectFixedPageSize, u"string",
                                            settings.correctFixedPageSize ? u"On" : u"Off", correct.Out());
    if (SUCCEEDED(hr)) hr = AppendChild(data.Get(), correct.Get());
    if (SUCCEEDED(hr))
        hr = ticket.CreateIntProperty(ticket.PrivatePrefix(), kFitToCustomPaperTemp, settings.fitToCustomPaperTemp,
                                      temp.Out());
    if (SUCCEEDED(hr)) hr = AppendChild(data.Get(), temp.Get());
    if (SUCCEEDED(hr)) hr = AppendChild(root, data.Get());
    return hr;
}

}  // namespace

HRESULT ReadScalingSettings(PrintTicketDom& ticket, PageScalingSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    return CatchRaised([&] { return Read(ticket, *settings); });
}

HRESULT WriteScalingSettings(PrintTicketDom& ticket, const PageScalingSettings& settings)
{
    if (settings.option < 0 || settings.option >= kScalingOptionCount || settings.alignment < 0 ||
        settings.alignment >= kAlignmentCount)
        return E_INVALIDARG;
    return CatchRaised([&] {
        HRESULT hr = ticket.RemoveFeature(kScalingFeature);
        if (SUCCEEDED(hr)) hr = ticket.RemoveProperty(kScalingData);
        ComPtr<IXMLDOMNode> root;
        if (SUCCEEDED(hr)) hr = ticket.SelectRoot(root.Out());
        if (SUCCEEDED(hr) && !root) hr = E_FAIL;
        if (SUCCEEDED(hr)) hr = AppendScalingFeature(ticket, root.Get(), settings);
        if (SUCCEEDED(hr)) hr = AppendScalingData(ticket, root.Get(), settings);
        return hr;
    });
}
