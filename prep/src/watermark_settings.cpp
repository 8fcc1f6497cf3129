#include "watermark_settings.h"

#include <string_view>

#include "filtercore/raised_result.h"
#include "setting_rows.h"

namespace {

constexpr WCHAR kWatermarkFeature[] = u"PageWatermark";
constexpr WCHAR kWatermarkData[] = u"PageWatermarkData";

// The index of the name equal to the text, or -1.
INT IndexOf(BSTR text, std::initializer_list<std::u16string_view> names)
{
    if (text == nullptr) return -1;
    std::u16string_view value(text, SysStringLen(text));
    INT index = 0;
    for (std::u16string_view name : names) {
        if (value == name) return index;
        ++index;
    }
    return -1;
}

// The option of the feature (the top feature when subFeature is null) as
// the index of its name; an absent option or an unknown name keeps *field.
HRESULT ReadOption(PrintTicketDom& ticket, const WCHAR* subFeature, std::initializer_list<std::u16string_view> names,
                   INT* field)
{
    OwnedBstr name;
    BOOL isPrivate = FALSE;
    HRESULT hr = subFeature == nullptr
                     ? ticket.GetOptionName(ticket.KeywordsPrefix(), kWatermarkFeature, name.Out(), &isPrivate)
                     : ticket.GetNestedOptionName(ticket.KeywordsPrefix(), kWatermarkFeature, ticket.PrivatePrefix(),
                                                  subFeature, name.Out(), &isPrivate);
    if (SettingAbsent(hr)) return S_OK;
    if (FAILED(hr)) return hr;
    INT index = IndexOf(name.Get(), names);
    if (index >= 0) *field = index;
    return S_OK;
}

// The members of one Property below PageWatermarkData, read in order.
class EntryReader {
public:
    EntryReader(PrintTicketDom& ticket, const WCHAR* entry) : ticket_(ticket), entry_(entry) {}

    // Each read fails (and every later one with it) when the member
    // cannot be read.
    bool Text(const WCHAR* member, RecordString& field)
    {
        OwnedBstr text;
        if (!Read(member, [&](BSTR path) { return ticket_.ReadValueText(path, text.Out()); })) return false;
        field.Reset(text.Detach());
        return true;
    }
    bool Integer(const WCHAR* member, INT& field)
    {
        INT value = 0;
        if (!Read(member, [&](BSTR path) { return ticket_.ReadValueInt(path, &value); })) return false;
        field = value;
        return true;
    }
    template <class Narrow>
    bool Narrowed(const WCHAR* member, Narrow& field)
    {
        INT value = 0;
        if (!Integer(member, value)) return false;
        field = static_cast<Narrow>(value);
        return true;
    }
    // "Text", "Bitmap" or "None"; another text keeps the field.
    bool Type(const WCHAR* member, INT& field)
    {
        RecordString text;
        if (!Text(member, text)) return false;
        constexpr const WCHAR* kTypes[] = {u"Text", u"Bitmap", u"None"};
        for (INT index = 0; index < 3; ++index) {
            OwnedBstr name = OwnedBstr::Copy(kTypes[index]);
            if (VarBstrCmp(text.Get(), name.Get(), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ) field = index;
        }
        return true;
    }

private:
    template <class Reading>
    bool Read(const WCHAR* member, Reading reading)
    {
        if (stopped_) return false;
        XPathBuilder path = ticket_.NewXPath();
        HRESULT hr = path.AppendProperty(ticket_.PrivatePrefix(), kWatermarkData);
        if (SUCCEEDED(hr)) hr = path.AppendProperty(ticket_.PrivatePrefix(), entry_);
        if (SUCCEEDED(hr) && member != nullptr) hr = path.AppendProperty(ticket_.PrivatePrefix(), member);
        if (SUCCEEDED(hr) && path.Expression() == nullptr) hr = E_FAIL;
        if (SUCCEEDED(hr)) hr = reading(path.Expression());
        stopped_ = FAILED(hr) || hr == S_FALSE;
        return !stopped_;
    }

    PrintTicketDom& ticket_;
    const WCHAR* entry_;
    bool stopped_ = false;
};

void ReadEntry(PrintTicketDom& ticket, const WCHAR* name, WatermarkEntry& entry)
{
    EntryReader member(ticket, name);
    // Each member is read only when the one before it was.
    member.Integer(u"ID", entry.id) && member.Type(u"Type", entry.type) &&
        member.Integer(u"PostionX", entry.positionX) && member.Integer(u"PostionY", entry.positionY) &&
        member.Integer(u"FontColor", entry.fontColor) && member.Integer(u"FontSize", entry.fontSize) &&
        member.Text(u"Text", entry.text) && member.Narrowed(u"Angle", entry.angle) &&
        member.Text(u"FontName", entry.fontName) && member.Integer(u"FontItalicStyle", entry.fontItalicStyle) &&
        member.Integer(u"FontBoldStyle", entry.fontBoldStyle) && member.Text(u"Filename", entry.filename) &&
        member.Narrowed(u"Scaling", entry.scaling) && member.Integer(u"SubData", entry.subData) &&
        member.Narrowed(u"BmpLightness", entry.bmpLightness);
}

bool DataPresent(PrintTicketDom& ticket)
{
    XPathBuilder path = ticket.NewXPath();
    if (FAILED(path.AppendProperty(ticket.PrivatePrefix(), kWatermarkData)) || path.Expression() == nullptr)
        return false;
    return ticket.NodeExists(path.Expression()) == S_OK;
}

void ReadTitle(PrintTicketDom& ticket, RecordString& title)
{
    XPathBuilder path = ticket.NewXPath();
    HRESULT hr = path.AppendProperty(ticket.PrivatePrefix(), kWatermarkData);
    if (SUCCEEDED(hr)) hr = path.AppendProperty(ticket.PrivatePrefix(), u"Title");
    OwnedBstr text;
    if (SUCCEEDED(hr) && path.Expression() != nullptr && ticket.ReadValueText(path.Expression(), text.Out()) == S_OK)
        title.Reset(text.Detach());
}

}  // namespace

HRESULT ReadWatermarkSettings(PrintTicketDom& ticket, PageWatermarkSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    return CatchRaised([&] {
        WatermarkOptions& options = settings->options;
        HRESULT hr = ReadOption(ticket, nullptr, {u"Off", u"On"}, &options.pageWatermark);
        if (SUCCEEDED(hr))
            hr = ReadOption(ticket, u"LayoutOrder", {u"Background", u"Foreground"}, &options.layoutOrder);
        if (SUCCEEDED(hr))
            hr = ReadOption(ticket, u"OverlayMethod", {u"Transparent", u"Opaque"}, &options.overlayMethod);
        if (SUCCEEDED(hr)) hr = ReadOption(ticket, u"OutlineTxt", {u"Off", u"On"}, &options.outlineTxt);
        if (SUCCEEDED(hr)) hr = ReadOption(ticket, u"CustomSettings", {u"Off", u"On"}, &options.customSettings);
        if (FAILED(hr)) return hr;

        if (!DataPresent(ticket)) return S_OK;
        ReadTitle(ticket, settings->title);
        ReadEntry(ticket, u"WatermarkSettings", settings->watermarkSettings);
        ReadEntry(ticket, u"CustomWatermarkSettingsFirst", settings->customWatermarkSettingsFirst);
        ReadEntry(ticket, u"CustomWatermarkSettingsOther", settings->customWatermarkSettingsOther);
        return S_OK;
    });
}

DecorationData WatermarkDecorationData(const PageWatermarkSettings& settings, LONG jobPageNumber)
{
    DecorationData data;
    data.kind = kWatermarkDecoration;
    data.watermarkOptions = settings.options;
    data.title = settings.title;
    data.watermarkSettings = settings.watermarkSettings;
    data.customWatermarkSettingsFirst = settings.customWatermarkSettingsFirst;
    data.customWatermarkSettingsOther = settings.customWatermarkSettingsOther;
    if (settings.options.customSettings == 0)
        data.activeEntry = settings.watermarkSettings;
    else
        data.activeEntry =
            jobPageNumber == 1 ? settings.customWatermarkSettingsFirst : settings.customWatermarkSettingsOther;
    return data;
}
