#include "trace_job.h"

#include "trace_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
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

bool WriteAll(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void Flush(TraceJob& job)
{
    if (job.pending.empty()) return;
    std::string lines;
    lines.swap(job.pending);
    if (job.secondPassFile < 0) {
        WriteRecord(job, kOutputRecordPrinterData, lines);
    } else if (!WriteAll(job.secondPassFile, lines) && SUCCEEDED(job.writeResult)) {
        job.writeResult = STG_E_WRITEFAULT;
    }
}

bool IsManualDuplex(const DEVMODEW* devmode, uint32_t size)
{
    if (devmode == nullptr || size < sizeof(DEVMODE_WITH_EXTRA)) return false;
    DEVMODE_WITH_EXTRA whole;
    std::memcpy(&whole, devmode, sizeof whole);
    return whole.publicPart.dmDriverExtra >= sizeof(DEVMODE_DRIVER_EXTRA) &&
           whole.extra.signature == kDevModeExtraSignature && whole.extra.duplexMode == kDevModeDuplexModeManual &&
           whole.publicPart.dmDuplex != DMDUP_SIMPLEX;
}

void BeginSecondPassPage(TraceJob& job, uint32_t page)
{
    std::string failure;
    if (job.secondPassFolder.empty()) {
        const char* temporary = std::getenv("TMPDIR");
        std::string folder =
            std::string(temporary != nullptr && *temporary == '/' ? temporary : "/tmp") + "/tav-second-pass-XXXXXX";
        // Readable by the manual duplex program, changed by nobody else.
        if (mkdtemp(folder.data()) != nullptr && chmod(folder.c_str(), 0755) == 0)
            job.secondPassFolder = folder;
        else
            failure = std::string("no folder for them: ") + std::strerror(errno);
    }
    if (failure.empty()) {
        std::string path = job.secondPassFolder + "/page-" + std::to_string(page) + ".trace";
        // The record holds the path as UTF-16, one unit a byte: ASCII only,
        // and no longer than a record's path may be.
        bool ascii = std::all_of(path.begin(), path.end(), [](char c) { return c > 0 && c < 0x7F; });
        int file = !ascii || path.size() > kOutputRecordMaxPathCharacters
                       ? -1
                       : open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (file >= 0) {
            Flush(job);
            job.secondPassFile = file;
            job.secondPassPath = path;
            return;
        }
        failure = !ascii || path.size() > kOutputRecordMaxPathCharacters
                      ? "the path " + path + " is not ASCII or longer than " +
                            std::to_string(kOutputRecordMaxPathCharacters) + " characters"
                      : path + ": " + std::strerror(errno);
    }
    WriteRecord(job, kOutputRecordWarning,
                "the second side of page " + std::to_string(page) + " cannot be written to a file (" + failure +
                    "); it goes into the printer stream");
}

void EndSecondPassPage(TraceJob& job)
{
    if (job.secondPassFile < 0) return;
    Flush(job);
    bool closed = close(job.secondPassFile) == 0;
    job.secondPassFile = -1;
    std::string path;
    path.swap(job.secondPassPath);
    if (!closed && SUCCEEDED(job.writeResult)) job.writeResult = STG_E_WRITEFAULT;
    std::string payload;
    for (unsigned char c : path + '\0') {
        payload.push_back(static_cast<char>(c));
        payload.push_back('\0');
    }
    AppendLine(job, "second-pass-page " + Quoted(path));
    WriteRecord(job, kOutputRecordFilePath, payload);
}

}  // namespace tav::trace
