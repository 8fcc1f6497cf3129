#include "platform/spooler.h"

#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/base.h"
#include "platform/library.h"
#include "platform/wformat.h"

namespace {

// A string of a record, null kept apart from empty.
using StoredText = std::optional<std::u16string>;

StoredText Store(LPCWSTR text)
{
    if (text == nullptr) return std::nullopt;
    return std::u16string(text);
}

struct StoredDriver {
    DWORD version = 0;
    StoredText name, environment, driverPath, dataFile, configFile;
};

struct StoredJob {
    JOB_INFO_1W numbers{};  // the record without its strings
    StoredText machine, user, document, datatype, status;
};

struct Printer {
    StoredDriver driver;
    std::map<DWORD, StoredJob> jobs;
};

// Shared by every thread that asks: the host fills it while filters read.
std::mutex spoolerLock;
std::map<std::u16string, Printer> printers;
std::map<uintptr_t, std::u16string> openHandles;  // handle -> printer name
uintptr_t nextHandle = 0x5000;
// The printer-driver directory the host set; empty: the module folder.
std::u16string driverDirectory;

// Under the lock: the printer an open handle stands for, or null.
const Printer* PrinterOf(HANDLE handle, const std::u16string** name)
{
    auto open = openHandles.find(reinterpret_cast<uintptr_t>(handle));
    if (open == openHandles.end()) return nullptr;
    auto printer = printers.find(open->second);
    if (printer == printers.end()) return nullptr;
    *name = &printer->first;
    return &printer->second;
}

// The checks a record query starts with, under the lock: the printer of the
// handle, or null with the last error set.
const Printer* PrinterForRecord(HANDLE handle, const DWORD* needed, DWORD level, DWORD levelServed,
                                const std::u16string** name)
{
    if (needed == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (level != levelServed) {
        SetLastError(ERROR_INVALID_LEVEL);
        return nullptr;
    }
    const Printer* found = PrinterOf(handle, name);
    if (found == nullptr) SetLastError(ERROR_INVALID_HANDLE);
    return found;
}

// Writes a fixed record followed by its strings into a caller's buffer: the
// size is counted first, then, when it fits, the strings are copied after
// the record and the record's pointers aimed at them.
class RecordWriter {
public:
    explicit RecordWriter(size_t recordSize) : size_(recordSize) {}
    void Count(const StoredText& text)
    {
        if (text) size_ += (text->size() + 1) * sizeof(WCHAR);
    }
    size_t Size() const { return size_; }
    // buffer holds Size() bytes.
    LPWSTR Place(BYTE* buffer, const StoredText& text)
    {
        if (!text) return nullptr;
        if (next_ == 0) next_ = size_;
        next_ -= (text->size() + 1) * sizeof(WCHAR);
        std::memcpy(buffer + next_, text->c_str(), (text->size() + 1) * sizeof(WCHAR));
        return reinterpret_cast<LPWSTR>(buffer + next_);
    }

private:
    size_t size_;
    size_t next_ = 0;
};

// The checks every query shares; true when the record may be written.
bool Fits(size_t size, BYTE* buffer, DWORD bufferSize, DWORD* needed)
{
    if (size > 0xFFFFFFFFu) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    *needed = static_cast<DWORD>(size);
    if (buffer == nullptr || bufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    return true;
}

}  // namespace

BOOL OpenPrinterW(LPWSTR printerName, HANDLE* printer, void*)
{
    if (printerName == nullptr || printer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(spoolerLock);
    if (printers.count(printerName) == 0) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }
    uintptr_t handle = nextHandle;
    nextHandle += 8;
    openHandles[handle] = printerName;
    *printer = reinterpret_cast<HANDLE>(handle);
    return TRUE;
}

BOOL ClosePrinter(HANDLE printer)
{
    std::lock_guard<std::mutex> lock(spoolerLock);
    if (openHandles.erase(reinterpret_cast<uintptr_t>(printer)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL GetPrinterDriverW(HANDLE printer, LPWSTR, DWORD level, BYTE* buffer, DWORD bufferSize, DWORD* needed)
{
    std::lock_guard<std::mutex> lock(spoolerLock);
    const std::u16string* name = nullptr;
    const Printer* found = PrinterForRecord(printer, needed, level, 2, &name);
    if (found == nullptr) return FALSE;
    const StoredDriver& driver = found->driver;
    RecordWriter writer(sizeof(DRIVER_INFO_2W));
    for (const StoredText* text :
         {&driver.name, &driver.environment, &driver.driverPath, &driver.dataFile, &driver.configFile}) {
        writer.Count(*text);
    }
    if (!Fits(writer.Size(), buffer, bufferSize, needed)) return FALSE;
    DRIVER_INFO_2W record{};
    record.cVersion = driver.version;
    record.pName = writer.Place(buffer, driver.name);
    record.pEnvironment = writer.Place(buffer, driver.environment);
    record.pDriverPath = writer.Place(buffer, driver.driverPath);
    record.pDataFile = writer.Place(buffer, driver.dataFile);
    record.pConfigFile = writer.Place(buffer, driver.configFile);
    std::memcpy(buffer, &record, sizeof record);
    return TRUE;
}

BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* buffer, DWORD bufferSize, DWORD* needed)
{
    std::lock_guard<std::mutex> lock(spoolerLock);
    const std::u16string* name = nullptr;
    const Printer* found = PrinterForRecord(printer, needed, level, 1, &name);
    if (found == nullptr) return FALSE;
    auto job = found->jobs.find(jobId);
    if (job == found->jobs.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const StoredJob& stored = job->second;
    const StoredText printerName = *name;
    RecordWriter writer(sizeof(JOB_INFO_1W));
    for (const StoredText* text :
         {&printerName, &stored.machine, &stored.user, &stored.document, &stored.datatype, &stored.status}) {
        writer.Count(*text);
    }
    if (!Fits(writer.Size(), buffer, bufferSize, needed)) return FALSE;
    JOB_INFO_1W record = stored.numbers;
    record.pPrinterName = writer.Place(buffer, printerName);
    record.pMachineName = writer.Place(buffer, stored.machine);
    record.pUserName = writer.Place(buffer, stored.user);
    record.pDocument = writer.Place(buffer, stored.document);
    record.pDatatype = writer.Place(buffer, stored.datatype);
    record.pStatus = writer.Place(buffer, stored.status);
    std::memcpy(buffer, &record, sizeof record);
    return TRUE;
}

BOOL SpoolerSetPrinterDriver(LPCWSTR printerName, const DRIVER_INFO_2W* driver)
{
    if (printerName == nullptr || driver == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    StoredDriver stored;
    stored.version = driver->cVersion;
    stored.name = Store(driver->pName);
    stored.environment = Store(driver->pEnvironment);
    stored.driverPath = Store(driver->pDriverPath);
    stored.dataFile = Store(driver->pDataFile);
    stored.configFile = Store(driver->pConfigFile);
    std::lock_guard<std::mutex> lock(spoolerLock);
    printers[printerName].driver = std::move(stored);
    return TRUE;
}

BOOL SpoolerAddJob(LPCWSTR printerName, const JOB_INFO_1W* job)
{
    if (printerName == nullptr || job == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    StoredJob stored;
    stored.numbers = *job;
    stored.numbers.pPrinterName = stored.numbers.pMachineName = stored.numbers.pUserName = nullptr;
    stored.numbers.pDocument = stored.numbers.pDatatype = stored.numbers.pStatus = nullptr;
    stored.machine = Store(job->pMachineName);
    stored.user = Store(job->pUserName);
    stored.document = Store(job->pDocument);
    stored.datatype = Store(job->pDatatype);
    stored.status = Store(job->pStatus);
    std::lock_guard<std::mutex> lock(spoolerLock);
    auto printer = printers.find(printerName);
    if (printer == printers.end()) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }
    printer->second.jobs[job->JobId] = std::move(stored);
    return TRUE;
}

void SpoolerDeleteJob(LPCWSTR printerName, DWORD jobId)
{
    if (printerName == nullptr) return;
    std::lock_guard<std::mutex> lock(spoolerLock);
    auto printer = printers.find(printerName);
    if (printer != printers.end()) printer->second.jobs.erase(jobId);
}

BOOL GetPrinterDriverDirectoryW(LPWSTR, LPWSTR, DWORD level, BYTE* buffer, DWORD bufferSize, DWORD* needed)
{
    if (needed == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    std::u16string folder;
    {
        std::lock_guard<std::mutex> lock(spoolerLock);
        folder = driverDirectory;
    }
    if (folder.empty()) folder = Utf8ToWide(ModuleFolder());
    size_t size = (folder.size() + 1) * sizeof(WCHAR);
    if (!Fits(size, buffer, bufferSize, needed)) return FALSE;
    std::memcpy(buffer, folder.c_str(), size);
    return TRUE;
}

void SpoolerSetDriverDirectory(LPCWSTR folder)
{
    std::lock_guard<std::mutex> lock(spoolerLock);
    driverDirectory = folder == nullptr ? u"" : folder;
}
