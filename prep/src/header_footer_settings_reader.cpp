#include "header_footer_settings_reader.h"

#include <string_view>

#include "filtercore/errors.h"
#include "setting_rows.h"

namespace {

constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

constexpr WCHAR kFeature[] = u"PageHeaderFooter";
constexpr WCHAR kData[] = u"PageHeaderFooterData";
constexpr WCHAR kFontSettings[] = u"FontSettings";

// The option names, by the field's value.
constexpr const WCHAR* kOffOnNames[] = {u"Off", u"On"};
constexpr const WCHAR* kFormatNames[] = {u"Type1", u"Type2", u"Type3", u"Type4", u"Type5",
                                         u"Type6", u"Type7", u"Type8", u"None"};
constexpr const WCHAR* kIdPrintNames[] = {u"UserName", u"Custom", u"None"};
constexpr const WCHAR* kPositionXNames[] = {u"Left", u"Center", u"Right"};
constexpr const WCHAR* kPositionYNames[] = {u"Top", u"Bottom"};
constexpr const WCHAR* kBackgroundNames[] = {u"Transparent", u"Opaque"};

// The private option of a read name, matched into field.
template <size_t N>
HRESULT TakeChoice(HRESULT hr, BSTR name, BOOL isPrivate, const WCHAR* const (&names)[N], INT& field)
{
    if (SettingAbsent(hr)) return S_OK;
    if (FAILED(hr)) return hr;
    INT row = isPrivate ? RowOf(name, names) : -1;
    if (row >= 0) field = row;
    return S_OK;
}

HRESULT ReadSubOption(PrintTicketDom& ticket, const WCHAR* subFeature, OwnedBstr* name, BOOL* isPrivate)
{
    return ticket.GetNestedOptionName(ticket.PrivatePrefix(), kFeature, ticket.PrivatePrefix(), subFeature, name->Out(),
                                      isPrivate);
}

template <size_t N>
HRESULT ReadSubChoice(PrintTicketDom& ticket, const WCHAR* subFeature, const WCHAR* const (&names)[N], INT& field)
{
    OwnedBstr name;
    BOOL isPrivate = FALSE;
    HRESULT hr = ReadSubOption(ticket, subFeature, &name, &isPrivate);
    return TakeChoice(hr, name.Get(), isPrivate, names, field);
}

// The StringFormat or DataFormat found below the sub-feature.
HRESULT ReadFormatText(PrintTicketDom& ticket, const WCHAR* subFeature, const WCHAR* property, OwnedBstr* text)
{
    XPathBuilder path = ticket.NewXPath();
    HRESULT hr = path.AppendFeature(ticket.PrivatePrefix(), kFeature);
    if (SUCCEEDED(hr)) hr = path.AppendFeature(ticket.PrivatePrefix(), subFeature);
    if (SUCCEEDED(hr)) hr = path.AppendScoredProperty(ticket.PrivatePrefix(), property);
    if (FAILED(hr)) return hr;
    return ticket.ReadValueText(path.Expression(), text->Out());
}

// DateFormat or TimeFormat with its two formats.
HRESULT ReadLayout(PrintTicketDom& ticket, const WCHAR* subFeature, INT& format, RecordString& stringFormat,
                   RecordString& dataFormat)
{
    OwnedBstr name;
    BOOL isPrivate = FALSE;
    HRESULT hr = ReadSubOption(ticket, subFeature, &name, &isPrivate);
    if (SettingAbsent(hr)) return S_OK;
    if (FAILED(hr)) return hr;
    OwnedBstr stringText;
    OwnedBstr dataText;
    hr = ReadFormatText(ticket, subFeature, u"StringFormat", &stringText);
    if (SUCCEEDED(hr) && hr != S_FALSE) hr = ReadFormatText(ticket, subFeature, u"DataFormat", &dataText);
    if (SettingAbsent(hr)) {
        format = kDateTimeFormatNone;
        stringFormat.Reset();
        dataFormat.Reset();
        return S_OK;
    }
    if (FAILED(hr)) return hr;
    INT row = isPrivate ? RowOf(name.Get(), kFormatNames) : -1;
    if (row < 0) return S_OK;
    format = row;
    if (row == kDateTimeFormatNone) {
        stringFormat.Reset();
        dataFormat.Reset();
    } else {
        stringFormat.Assign(stringText.Get());
        dataFormat.Assign(dataText.Get());
    }
    return S_OK;
}

// An expression for PageHeaderFooterData, optionally FontSettings, and a
// member.
HRESULT DataPath(PrintTicketDom& ticket, const WCHAR* group, const WCHAR* member, XPathBuilder& path)
{
    HRESULT hr = path.AppendProperty(ticket.PrivatePrefix(), kData);
    if (SUCCEEDED(hr) && group != nullptr) hr = path.AppendProperty(ticket.PrivatePrefix(), group);
    if (SUCCEEDED(hr) && member != nullptr) hr = path.AppendProperty(ticket.PrivatePrefix(), member);
    return hr;
}

HRESULT ReadDataText(PrintTicketDom& ticket, const WCHAR* group, const WCHAR* member, RecordString& field)
{
    XPathBuilder path = ticket.NewXPath();
    HRESULT hr = DataPath(ticket, group, member, path);
    OwnedBstr text;
    if (SUCCEEDED(hr)) hr = ticket.ReadValueText(path.Expression(), text.Out());
    if (hr == S_OK) field.Assign(text.Get());
    return hr;
}

HRESULT ReadDataInt(PrintTicketDom& ticket, const WCHAR* group, const WCHAR* member, INT& field)
{
    XPathBuilder path = ticket.NewXPath();
    HRESULT hr = DataPath(ticket, group, member, path);
    if (SUCCEEDED(hr)) hr = ticket.ReadValueInt(path.Expression(), &field);
    return hr;
}

// The font's members in ticket order; the first that cannot be read ends
// the reading, the rest keep their values.
void ReadFontSettings(PrintTicketDom& ticket, HeaderFooterSettings& settings)
{
    if (ReadDataText(ticket, kFontSettings, u"FontName", settings.fontName) != S_OK) return;
    INT charSet = settings.fontCharSet;
    if (ReadDataInt(ticket, kFontSettings, u"FontCharSet", charSet) != S_OK) return;
    settings.fontCharSet = static_cast<BYTE>(charSet & 0xFF);
    INT HeaderFooterSettings::*const members[] = {
        &HeaderFooterSettings::fontItalicStyle, &HeaderFooterSettings::fontBoldStyle,
        &HeaderFooterSettings::fontUnderLine,   &HeaderFooterSettings::fontStruckOut,
        &HeaderFooterSettings::fontSize,        &HeaderFooterSettings::fontColor,
    };
    const WCHAR* names[] = {u"FontItalicStyle", u"FontBoldStyle", u"FontUnderLine",
                            u"FontStruckOut",   u"FontSize",      u"FontColor"};
    for (size_t index = 0; index < std::size(members); ++index) {
        if (ReadDataInt(ticket, kFontSettings, names[index], settings.*members[index]) != S_OK) return;
    }
}

HRESULT ReadData(PrintTicketDom& ticket, HeaderFooterSettings& settings)
{
    XPathBuilder group = ticket.NewXPath();
    HRESULT hr = DataPath(ticket, nullptr, nullptr, group);
    if (FAILED(hr)) return hr;
    if (group.Expression() == nullptr || ticket.NodeExists(group.Expression()) != S_OK) return S_OK;
    ReadFontSettings(ticket, settings);
    hr = ReadDataText(ticket, nullptr, u"IDPrintCustomName", settings.idPrintCustomName);
    if (FAILED(hr) && !SettingAbsent(hr)) return hr;
    hr = ReadDataInt(ticket, nullptr, u"BackgroudColor", settings.backgroudColor);
    return SettingAbsent(hr) ? S_OK : hr;
}

HRESULT Read(PrintTicketDom& ticket, HeaderFooterSettings& settings)
{
    OwnedBstr name;
    BOOL isPrivate = FALSE;
    HRESULT hr = ticket.GetOptionName(ticket.PrivatePrefix(), kFeature, name.Out(), &isPrivate);
    hr = TakeChoice(hr, name.Get(), isPrivate, kOffOnNames, settings.pageHeaderFooter);
    if (SUCCEEDED(hr))
        hr = ReadLayout(ticket, u"DateFormat", settings.dateFormat, settings.dateStringFormat, settings.dateDataFormat);
    if (SUCCEEDED(hr))
        hr = ReadLayout(ticket, u"TimeFormat", settings.timeFormat, settings.timeStringFormat, settings.timeDataFormat);
    if (SUCCEEDED(hr)) hr = ReadSubChoice(ticket, u"IDPrint", kIdPrintNames, settings.idPrint);
    if (SUCCEEDED(hr)) hr = ReadSubChoice(ticket, u"PositionX", kPositionXNames, settings.positionX);
    if (SUCCEEDED(hr)) hr = ReadSubChoice(ticket, u"PositionY", kPositionYNames, settings.positionY);
    if (SUCCEEDED(hr)) hr = ReadSubChoice(ticket, u"Background", kBackgroundNames, settings.background);
    if (SUCCEEDED(hr)) hr = ReadData(ticket, settings);
    return hr == kNotFound ? S_OK : hr;
}

}  // namespace

HRESULT ReadHeaderFooterSettings(PrintTicketDom& ticket, HeaderFooterSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    try {
        return Read(ticket, *settings);
    } catch (const CXDException& error) {
        return error.hr;
    }
}
