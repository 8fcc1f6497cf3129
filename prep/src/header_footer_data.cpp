#include "header_footer_data.h"

#include <algorithm>
#include <vector>

#include "header_footer_line.h"
#include "platform/spooler.h"
#include "platform/variant.h"

namespace {

// A handle property of the bag; null when it is absent or not a handle.
HANDLE HandleProperty(IPrintPipelinePropertyBag* bag, const WCHAR* name)
{
    if (bag == nullptr) return nullptr;
    VARIANT value;
    VariantInit(&value);
    HANDLE handle = nullptr;
    if (SUCCEEDED(bag->GetProperty(name, &value))) {
        if (value.vt == VT_UI8 || value.vt == VT_I8)
            handle = reinterpret_cast<HANDLE>(value.ullVal);
        else if (value.vt == VT_BYREF)
            handle = value.byref;
    }
    VariantClear(&value);
    return handle;
}

bool JobIdProperty(IPrintPipelinePropertyBag* bag, DWORD* jobId)
{
    if (bag == nullptr) return false;
    VARIANT value;
    VariantInit(&value);
    bool found = SUCCEEDED(bag->GetProperty(u"PrintJobId", &value)) &&
                 (value.vt == VT_UI4 || value.vt == VT_I4 || value.vt == VT_UINT || value.vt == VT_INT);
    if (found) *jobId = value.ulVal;
    VariantClear(&value);
    return found;
}

// The job's submission time in local time, when the spooler has the job
// and it names its document.
bool JobSubmissionTime(HANDLE printer, DWORD jobId, SYSTEMTIME* local)
{
    DWORD needed = 0;
    GetJobW(printer, jobId, 1, nullptr, 0, &needed);
    if (needed < sizeof(JOB_INFO_1W)) return false;
    std::vector<BYTE> buffer(needed, 0);
    if (!GetJobW(printer, jobId, 1, buffer.data(), needed, &needed)) return false;
    JOB_INFO_1W job{};
    std::copy_n(buffer.data(), sizeof job, reinterpret_cast<BYTE*>(&job));
    if (job.pDocument == nullptr) return false;
    FILETIME utc{}, localFile{};
    return SystemTimeToFileTime(&job.Submitted, &utc) && FileTimeToLocalFileTime(&utc, &localFile) &&
           FileTimeToSystemTime(&localFile, local);
}

DecorationTimeStamp TimeStampOf(const SYSTEMTIME& time)
{
    return {time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
            time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

SYSTEMTIME SystemTimeOf(const DecorationTimeStamp& stamp)
{
    return {stamp.year, stamp.month,  stamp.dayOfWeek, stamp.day,
            stamp.hour, stamp.minute, stamp.second,    stamp.milliseconds};
}

}  // namespace

DecorationData HeaderFooterDecorationData(const HeaderFooterSettings& settings, const PageScalingSettings& scaling,
                                          const JobInfoSettings& jobInfo, IPrintPipelinePropertyBag* bag)
{
    DecorationData data;
    data.kind = kHeaderFooterDecoration;
    data.printerHandle = HandleProperty(bag, u"PrinterHandle");
    data.userToken = HandleProperty(bag, u"UserSecurityToken");
    data.headerFooter = settings;
    data.scaling = scaling;
    data.jobInfo = jobInfo;
    data.propertyBag = ComPtr<IPrintPipelinePropertyBag>::Share(bag);
    SYSTEMTIME time{};
    GetLocalTime(&time);
    DWORD jobId = 0;
    if (data.printerHandle != nullptr && JobIdProperty(bag, &jobId)) {
        SYSTEMTIME submitted{};
        if (JobSubmissionTime(data.printerHandle, jobId, &submitted)) time = submitted;
    }
    data.timeStamp = TimeStampOf(time);
    return data;
}

HRESULT ComposeLine(const DecorationData& data, LanguageLibrary& languages, std::u16string* text)
{
    if (text == nullptr) return E_POINTER;
    HeaderFooterSettings settings = data.headerFooter;
    if (data.printerHandle == nullptr) {
        settings.dateFormat = kDateTimeFormatNone;
        settings.timeFormat = kDateTimeFormatNone;
    }
    LineSources sources;
    sources.printer = data.printerHandle;
    sources.timeStamp = SystemTimeOf(data.timeStamp);
    sources.settings = &settings;
    sources.defaultUserName = data.jobInfo.defaultUserName.Get();
    sources.propertyBag = data.propertyBag.Get();
    return ComposeHeaderFooterLine(sources, languages, text);
}
