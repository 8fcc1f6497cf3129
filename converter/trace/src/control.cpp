// libpcorectl.so of the recording converter: opens and closes the job and
// records each page's DEVMODE. Its lines begin the job's recording ("open"),
// each page's section ("page", "devmode") and end the job ("close").
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/devmode.h"
#include "trace_job.h"
#include "trace_text.h"

using namespace tav::trace;

namespace {

// The conversion handle: the job it converts for.
struct TraceConversion {
    TraceJob* job;
};

// A UTF-16 field of the open record, up to its terminator within its 256
// characters.
std::string RecordText(const BYTE* record, uint32_t offset)
{
    WCHAR field[kOpenRecordNameCharacters + 1] = {};
    std::memcpy(field, record + offset, kOpenRecordNameCharacters * sizeof(WCHAR));
    return WideToUtf8(field, kOpenRecordNameCharacters);
}

uint32_t RecordNumber(const BYTE* record, uint32_t offset)
{
    return uint32_t{record[offset]} | uint32_t{record[offset + 1]} << 8 | uint32_t{record[offset + 2]} << 16 |
           uint32_t{record[offset + 3]} << 24;
}

uint32_t RefusePageSetting()
{
    const char* text = std::getenv("TAV_TRACE_REFUSE_PAGE");
    if (text == nullptr) return 0;
    char* end = nullptr;
    unsigned long page = std::strtoul(text, &end, 10);
    return end != text && *end == '\0' && page <= UINT32_MAX ? static_cast<uint32_t>(page) : 0;
}

template <size_t N>
std::string FixedText(const WCHAR (&field)[N])
{
    return WideToUtf8(field, N);
}

std::string DevModeLine(const DEVMODEW& d, uint32_t size)
{
    auto n = [](long long value) { return std::to_string(value); };
    return "devmode size " + n(size) + " device " + Quoted(FixedText(d.dmDeviceName)) + " spec-version " +
           n(d.dmSpecVersion) + " driver-version " + n(d.dmDriverVersion) + " dm-size " + n(d.dmSize) +
           " driver-extra " + n(d.dmDriverExtra) + " fields " + Hex32(d.dmFields) + " orientation " +
           n(d.dmOrientation) + " paper-size " + n(d.dmPaperSize) + " paper-length " + n(d.dmPaperLength) +
           " paper-width " + n(d.dmPaperWidth) + " scale " + n(d.dmScale) + " copies " + n(d.dmCopies) +
           " default-source " + n(d.dmDefaultSource) + " print-quality " + n(d.dmPrintQuality) + " color " +
           n(d.dmColor) + " duplex " + n(d.dmDuplex) + " y-resolution " + n(d.dmYResolution) + " tt-option " +
           n(d.dmTTOption) + " collate " + n(d.dmCollate) + " form " + Quoted(FixedText(d.dmFormName)) +
           " log-pixels " + n(d.dmLogPixels) + " bits-per-pel " + n(d.dmBitsPerPel) + " pels-width " +
           n(d.dmPelsWidth) + " pels-height " + n(d.dmPelsHeight) + " nup " + n(d.dmNup) + " display-frequency " +
           n(d.dmDisplayFrequency) + " icm-method " + n(d.dmICMMethod) + " icm-intent " + n(d.dmICMIntent) +
           " media-type " + n(d.dmMediaType) + " dither-type " + n(d.dmDitherType) + " panning-width " +
           n(d.dmPanningWidth) + " panning-height " + n(d.dmPanningHeight);
}

}  // namespace

#define TRACE_EXPORT extern "C" __attribute__((visibility("default")))

TRACE_EXPORT ConverterHandle PrnCtrlOpen(const WCHAR* driverOut, int32_t reserved, const WCHAR* encoderPath,
                                         ConverterWriteCallback write, void* writeContext, const BYTE* openRecord,
                                         ConverterCancelCallback cancel)
{
    if (write == nullptr || openRecord == nullptr) return 0;
    try {
        auto* job = new TraceJob();
        job->write = write;
        job->writeContext = writeContext;
        job->refusePage = RefusePageSetting();
        uint32_t size = RecordNumber(openRecord, 0);
        if (size != kOpenRecordSize) {
            WriteRecord(
                *job, kOutputRecordRefusalReason,
                "the open record is " + std::to_string(size) + " bytes, not " + std::to_string(kOpenRecordSize));
            delete job;
            return 0;
        }
        AppendLine(*job, "tav-trace 1");
        AppendLine(*job, "open driver-out " + Quoted(WideToUtf8(driverOut, 260)) + " reserved " +
                             std::to_string(reserved) + " encoder " + Quoted(WideToUtf8(encoderPath, 260)) +
                             " printer " + Quoted(RecordText(openRecord, kOpenRecordPrinterNameOffset)) + " document " +
                             Quoted(RecordText(openRecord, kOpenRecordDocumentNameOffset)) + " job-id " +
                             std::to_string(RecordNumber(openRecord, kOpenRecordJobIdOffset)) + " one " +
                             std::to_string(RecordNumber(openRecord, kOpenRecordOneOffset)) + " text " +
                             Quoted(RecordText(openRecord, kOpenRecordTextOffset)) +
                             (cancel != nullptr ? " cancel" : ""));
        return reinterpret_cast<ConverterHandle>(job);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

TRACE_EXPORT ConverterHandle PrnCtrlXPS2SPDLOpen(ConverterCancelCallback, ConverterHandle job)
{
    if (job == 0) return 0;
    auto* conversion = new (std::nothrow) TraceConversion{reinterpret_cast<TraceJob*>(job)};
    return reinterpret_cast<ConverterHandle>(conversion);
}

TRACE_EXPORT ConverterHandle GetConvCntFromSPDLCnt(ConverterHandle conversion)
{
    if (conversion == 0) return 0;
    return reinterpret_cast<ConverterHandle>(reinterpret_cast<TraceConversion*>(conversion)->job);
}

TRACE_EXPORT void DevModeSet(const DEVMODEW* devmode, uint32_t size, ConverterHandle handle)
{
    if (handle == 0) return;
    auto& job = *reinterpret_cast<TraceJob*>(handle);
    try {
        // A page left unfinished (refused) ends its file here.
        EndSecondPassPage(job);
        job.BeginPage();
        ++job.pages;
        if (IsManualDuplex(devmode, size) && job.pages % 2 == 0) BeginSecondPassPage(job, job.pages);
        AppendLine(job, "page " + std::to_string(job.pages));
        if (devmode == nullptr || size < sizeof(DEVMODEW)) {
            AppendLine(job, "devmode size " + std::to_string(devmode == nullptr ? 0 : size) + " incomplete");
            return;
        }
        DEVMODEW copy;
        std::memcpy(&copy, devmode, sizeof copy);
        AppendLine(job, DevModeLine(copy, size));
    } catch (const std::bad_alloc&) {
        job.writeResult = E_OUTOFMEMORY;
    }
}

TRACE_EXPORT void PrnCtrlXPS2SPDLClose(ConverterHandle conversion)
{
    delete reinterpret_cast<TraceConversion*>(conversion);
}

TRACE_EXPORT void PrnCtrlClose(ConverterHandle handle)
{
    if (handle == 0) return;
    auto* job = reinterpret_cast<TraceJob*>(handle);
    try {
        EndSecondPassPage(*job);
        AppendLine(*job, "close pages " + std::to_string(job->pagesEnded));
        Flush(*job);
    } catch (const std::bad_alloc&) {
    }
    delete job;
}
