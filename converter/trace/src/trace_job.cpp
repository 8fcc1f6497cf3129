#include "trace_job.h"

#include <vector>

namespace tav::trace {
namespace {

// Pending output is written out in records of about this size.
constexpr size_t kFlushSize = 64 * 1024;

void PutLittleEndian32(std::vector<BYTE>& bytes, size_t offset, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) bytes[offset++] = static_cast<BYTE>(value >> shift);
}

}  // namespace

void TraceJob::BeginPage()
{
    pageObject = nullptr;
    font = colourProfile = nullptr;
    image = nullptr;
    depth = 0;
    pageRefused = false;
    elements = attributes = 0;
    currentElement.clear();
    fetched.clear();
    pendingSource.clear();
    pendingDepth = dictionaryDepth = -1;
    dictionaryBase.clear();
}

void AppendLine(TraceJob& job, std::string_view line)
{
    job.pending.append(line);
    job.pending.push_back('\n');
    if (job.pending.size() >= kFlushSize) Flush(job);
}

void WriteRecord(TraceJob& job, uint8_t type, std::string_view payload)
{
    if (type != kOutputRecordPrinterData) Flush(job);
    if (payload.size() > UINT32_MAX - kOutputRecordHeaderSize) return;
    std::vector<BYTE> record(kOutputRecordHeaderSize + payload.size());
    PutLittleEndian32(record, 0, type);
    PutLittleEndian32(record, 4, static_cast<uint32_t>(payload.size()));
    std::copy(payload.begin(), payload.end(), record.begin() + kOutputRecordHeaderSize);
    HRESULT result = job.write(record.data(), static_cast<uint32_t>(record.size()), job.writeContext);
    if (FAILED(result) && SUCCEEDED(job.writeResult)) job.writeResult = result;
}

void Flush(TraceJob& job)
{
    if (job.pending.empty()) return;
    std::string lines;
    lines.swap(job.pending);
    WriteRecord(job, kOutputRecordPrinterData, lines);
}

}  // namespace tav::trace
