#include "header_footer_line.h"

#include "date_time_values.h"
#include "platform/bstr.h"
#include "platform/variant.h"

namespace {

// A text property of the bag; false when it is absent or not text.
bool TextProperty(IPrintPipelinePropertyBag* bag, const WCHAR* name, std::u16string* text)
{
    if (bag == nullptr) return false;
    VARIANT value;
    VariantInit(&value);
    bool found = SUCCEEDED(bag->GetProperty(name, &value)) && value.vt == VT_BSTR && value.bstrVal != nullptr;
    if (found) text->assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return found;
}

std::u16string Identification(const LineSources& sources)
{
    const HeaderFooterSettings& settings = *sources.settings;
    if (settings.idPrint == kIdPrintCustom) {
        return settings.idPrintCustomName.Get() == nullptr ? u"" : settings.idPrintCustomName.Get();
    }
    if (settings.idPrint == kIdPrintUserName && sources.defaultUserName != nullptr) return sources.defaultUserName;
    return u"";
}

}  // namespace

std::u16string JoinLineItems(const std::u16string& date, const std::u16string& time, const std::u16string& id)
{
    std::u16string line = date;
    for (const std::u16string* item : {&time, &id}) {
        if (item->empty()) continue;
        if (!line.empty()) line += u' ';
        line += *item;
    }
    return line;
}

HRESULT ComposeHeaderFooterLine(const LineSources& sources, LanguageLibrary& languages, std::u16string* text)
{
    if (sources.settings == nullptr || text == nullptr) return E_POINTER;
    const HeaderFooterSettings& settings = *sources.settings;
    text->clear();
    std::u16string date;
    std::u16string time;
    // Only the date and time need the driver and its language library: an
    // identification alone prints without them.
    HRESULT result = S_OK;
    if (settings.dateFormat != kDateTimeFormatNone || settings.timeFormat != kDateTimeFormatNone) {
        std::u16string libraryName;
        bool named = TextProperty(sources.propertyBag, u"LangDllName64", &libraryName);
        HMODULE library = nullptr;
        result = languages.Get(sources.printer, named ? libraryName.c_str() : nullptr, &library);
        if (FAILED(result)) return result;
        std::u16string ids;
        DateTimeNames names =
            TextProperty(sources.propertyBag, u"DataTimeID", &ids) ? ParseDataTimeId(ids.c_str()) : DateTimeNames();
        StringLoader load = [library](UINT id, WCHAR* buffer, int capacity) {
            return LoadStringW(library, id, buffer, capacity);
        };
        if (settings.dateFormat != kDateTimeFormatNone) {
            FormatValues values;
            result = ScanDateData(settings.dateDataFormat.Get(), sources.timeStamp, names, load, values);
            date = ApplyStringFormat(settings.dateStringFormat.Get(), values);
        }
        if (settings.timeFormat != kDateTimeFormatNone) {
            FormatValues values;
            ScanTimeData(settings.timeDataFormat.Get(), sources.timeStamp, names, load, values);
            time = ApplyStringFormat(settings.timeStringFormat.Get(), values);
        }
    }
    *text = JoinLineItems(date, time, Identification(sources));
    return result;
}
