// The entry points of libpcorectl.so: job control and output.
#include <string>

#include "converter/converter_interface.h"
#include "render_job.h"
#include "utf.h"

#define TAV_EXPORT extern "C" __attribute__((visibility("default")))

using tav::render::OutputLanguage;
using tav::render::RecordWriter;
using tav::render::RenderJob;

namespace {

// A UTF-16 string of at most `limit` characters; stops at the terminator.
std::u16string BoundedWide(const WCHAR* text, size_t limit)
{
    std::u16string out;
    if (!text) return out;
    for (size_t i = 0; i < limit && text[i] != 0; ++i) out += text[i];
    return out;
}

// The document name of the open record, when it has one.
std::string DocumentName(const BYTE* openRecord)
{
    if (!openRecord) return {};
    std::u16string name;
    for (uint32_t i = 0; i < kOpenRecordNameCharacters; ++i) {
        const BYTE* unit = openRecord + kOpenRecordDocumentNameOffset + 2 * i;
        char16_t c = static_cast<char16_t>(unit[0] | unit[1] << 8);
        if (c == 0) return tav::render::Utf16ToUtf8(name);
        name += c;
    }
    return {};  // no terminator: not a name
}

}  // namespace

TAV_EXPORT ConverterHandle PrnCtrlOpen(const WCHAR* driverOut, int32_t reserved, const WCHAR* encoderPath,
                                       ConverterWriteCallback write, void* writeContext, const BYTE* openRecord,
                                       ConverterCancelCallback cancel)
{
    if (!write) return 0;
    OutputLanguage language;
    std::u16string encoder = BoundedWide(encoderPath, 4096);
    if (!tav::render::LanguageForEncoder(encoder, &language)) {
        RecordWriter records(write, writeContext);
        records.WriteText(kOutputRecordRefusalReason,
                          "the encoder library '" + tav::render::Utf16ToUtf8(encoder) +
                              "' names no output language of this converter (tavenc-pdf.so or tavenc-pwg.so)");
        return 0;
    }
    auto* job = new RenderJob(write, writeContext, language, DocumentName(openRecord));
    return job->JobHandle();
}

TAV_EXPORT ConverterHandle PrnCtrlXPS2SPDLOpen(ConverterCancelCallback cancel, ConverterHandle jobHandle)
{
    RenderJob* job = RenderJob::FromJobHandle(jobHandle);
    return job ? job->ConversionHandle() : 0;
}

TAV_EXPORT ConverterHandle GetConvCntFromSPDLCnt(ConverterHandle conversion)
{
    RenderJob* job = RenderJob::FromConversionHandle(conversion);
    return job ? job->ContextHandle() : 0;
}

TAV_EXPORT void DevModeSet(const DEVMODEW* devmode, uint32_t size, ConverterHandle jobHandle)
{
    if (RenderJob* job = RenderJob::FromJobHandle(jobHandle)) job->SetDevMode(devmode, size);
}

TAV_EXPORT void PrnCtrlXPS2SPDLClose(ConverterHandle conversion)
{
    if (RenderJob* job = RenderJob::FromConversionHandle(conversion)) job->FinishConversion();
}

TAV_EXPORT void PrnCtrlClose(ConverterHandle jobHandle)
{
    RenderJob* job = RenderJob::FromJobHandle(jobHandle);
    if (!job) return;
    job->FinishConversion();
    delete job;
}
