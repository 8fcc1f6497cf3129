// The job as the platform's spooler knows it while it runs: the printer's
// driver (whose files are the modules of the module folder), the job's
// record (owner, document name, submission time) and an open printer
// handle for the property bag, so that filters asking the spooler about
// the printer and the job (GetPrinterDriverW, GetJobW) get answers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/spooler.h"

namespace tav::host {

struct SpoolerJobRecord {
    std::string printer;
    uint32_t jobId = 1;
    std::string owner;
    std::string document;
    std::string deviceFile;   // empty: the built-in device
    SYSTEMTIME submitted{};   // UTC
    uint32_t totalPages = 0;  // 0: not known
};

class SpoolerJob {
public:
    // Registers the driver and the job and opens the printer; throws
    // std::runtime_error when the spooler refuses.
    explicit SpoolerJob(const SpoolerJobRecord& record);
    // Closes the printer handle and removes the job's record.
    ~SpoolerJob();
    SpoolerJob(const SpoolerJob&) = delete;
    SpoolerJob& operator=(const SpoolerJob&) = delete;

    HANDLE PrinterHandle() const { return printer_; }

private:
    std::u16string printerName_;
    uint32_t jobId_;
    HANDLE printer_ = nullptr;
};

// The driver's configuration file: the preparation filter's module, which
// reads the driver's own resources, so that the language library and the
// other driver files are found beside it in the module folder.
std::string DriverConfigFile();

// The printer-driver directory when none is given: the recording
// converter's, <module folder>/converters/trace (the rip filter loads the
// converter from its subfolder 3).
std::string DefaultDriverDirectory();

// The spooler's printer-driver directory for as long as it lives: folder,
// or DefaultDriverDirectory() when it is empty. Made before the filters are,
// as a print system's driver directory exists before its filters load.
class DriverDirectoryScope {
public:
    explicit DriverDirectoryScope(const std::string& folder);
    ~DriverDirectoryScope();
    DriverDirectoryScope(const DriverDirectoryScope&) = delete;
    DriverDirectoryScope& operator=(const DriverDirectoryScope&) = delete;
};

// The job's owner as a print system names it: the name given (--user), else
// the account name of the process's real user, else LOGNAME or USER, else
// the numeric user id.
std::string JobOwnerName(const std::string& given);

// The job's document name: the title given (--title), else the input's file
// name without its folder; "-" is "standard input".
std::string JobDocumentName(const std::string& title, const std::string& input);

}  // namespace tav::host
