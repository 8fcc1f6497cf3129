#include "header_footer_line.h"

#include <vector>

#include "date_time_values.h"
#include "platform/base.h"
#include "platform/bstr.h"
#include "platform/library.h"
#include "platform/spooler.h"
#include "platform/variant.h"

namespace {

HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// The driver's configuration file, asked for its size first.
HRESULT DriverConfigFile(HANDLE printer, std::u16string* path)
{
    DWORD needed = 0;
    SetLastError(ERROR_SUCCESS);
    if (!GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return LastErrorResult();
    }
    if (needed < sizeof(DRIVER_INFO_2W)) return LastErrorResult();
    std::vector<BYTE> buffer(needed, 0);
    if (!GetPrinterDriverW(printer, nullptr, 2, buffer.data(), needed, &needed)) return LastErrorResult();
    DRIVER_INFO_2W driver{};
    std::copy_n(buffer.data(), sizeof driver, reinterpret_cast<BYTE*>(&driver));
    path->assign(driver.pConfigFile == nullptr ? u"" : driver.pConfigFile);
    return S_OK;
}

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

// The language library: the named file beside the configuration file, else
// the configuration file itself.
HRESULT LoadLanguageLibrary(const LineSources& sources, HMODULE* library)
{
    std::u16string configPath;
    HRESULT hr = DriverConfigFile(sources.printer, &configPath);
    if (FAILED(hr)) return hr;
    std::u16string name;
    std::u16string libraryPath = TextProperty(sources.propertyBag, u"LangDllName64", &name)
                                     ? LanguageLibraryPath(configPath, name.c_str())
                                     : configPath;
    *library = LoadLibraryW(libraryPath.c_str());
    if (*library == nullptr) *library = LoadLibraryW(configPath.c_str());
    return *library == nullptr ? LastErrorResult() : S_OK;
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

HRESULT ComposeHeaderFooterLine(const LineSources& sources, std::u16string* text)
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
        HMODULE library = nullptr;
        result = LoadLanguageLibrary(sources, &library);
        if (FAILED(result)) return result;
        std::u16string ids;
        DateTimeNames names = TextProperty(sources.propertyBag, u"DataTimeID", &ids) ? ParseDataTimeId(ids.c_str())
                                                                                     : DateTimeNames();
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
        FreeLibrary(library);
    }
    *text = JoinLineItems(date, time, Identification(sources));
    return result;
}
