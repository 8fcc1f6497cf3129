// The spooler as the filters ask it: printers opened by name, their driver's
// files and the records of their jobs. The host fills this state before a
// job runs (the SpoolerSet and SpoolerAdd functions at the end), as a print
// system does before it starts a job's filters.
#pragma once

#include "platform/system_time.h"

struct DRIVER_INFO_2W {
    DWORD cVersion;
    LPWSTR pName;
    LPWSTR pEnvironment;
    LPWSTR pDriverPath;
    LPWSTR pDataFile;
    LPWSTR pConfigFile;
};

struct JOB_INFO_1W {
    DWORD JobId;
    LPWSTR pPrinterName;
    LPWSTR pMachineName;
    LPWSTR pUserName;
    LPWSTR pDocument;
    LPWSTR pDatatype;
    LPWSTR pStatus;
    DWORD Status;
    DWORD Priority;
    DWORD Position;
    DWORD TotalPages;
    DWORD PagesPrinted;
    SYSTEMTIME Submitted;  // UTC
};

constexpr DWORD JOB_STATUS_DELETING = 0x00000004;
constexpr DWORD JOB_STATUS_PRINTING = 0x00000010;
constexpr DWORD JOB_STATUS_DELETED = 0x00000100;

// A handle for a printer that has a driver. FALSE with
// ERROR_INVALID_PRINTER_NAME for any other name, ERROR_INVALID_PARAMETER for
// a null name or handle pointer. The defaults are not used.
BOOL OpenPrinterW(LPWSTR printerName, HANDLE* printer, void* defaults);
// FALSE with ERROR_INVALID_HANDLE for a handle that is not open.
BOOL ClosePrinter(HANDLE printer);

// Level 2 only (ERROR_INVALID_LEVEL otherwise); the environment is that of
// this system whatever is named. The record and its strings are written
// into buffer, which needs *needed bytes; a null or smaller buffer gives
// FALSE with ERROR_INSUFFICIENT_BUFFER and *needed set. FALSE with
// ERROR_INVALID_HANDLE for a handle that is not open and
// ERROR_INVALID_PARAMETER for a null needed.
BOOL GetPrinterDriverW(HANDLE printer, LPWSTR environment, DWORD level, BYTE* buffer, DWORD bufferSize, DWORD* needed);
// Level 1 only, otherwise as GetPrinterDriverW; a job the printer does not
// have gives ERROR_INVALID_PARAMETER.
BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* buffer, DWORD bufferSize, DWORD* needed);

// The printer-driver directory: the folder that holds the driver's own files
// (its device converter among them). Level 1 only (ERROR_INVALID_LEVEL
// otherwise); the server and environment are those of this system whatever
// is named. The folder, zero-terminated, is written into buffer, which needs
// *needed bytes; a null or smaller buffer gives FALSE with
// ERROR_INSUFFICIENT_BUFFER and *needed set, a null needed
// ERROR_INVALID_PARAMETER. Until the host sets one (SpoolerSetDriverDirectory)
// it is the module folder (platform/library.h).
BOOL GetPrinterDriverDirectoryW(LPWSTR server, LPWSTR environment, DWORD level, BYTE* buffer, DWORD bufferSize,
                                DWORD* needed);

// The host's side. The strings are copied; null strings stay null.
// Gives the printer its driver, replacing an earlier one: from then on it
// can be opened.
BOOL SpoolerSetPrinterDriver(LPCWSTR printerName, const DRIVER_INFO_2W* driver);
// Adds or replaces the printer's job job->JobId; pPrinterName is the
// printer's name whatever the record says. FALSE with
// ERROR_INVALID_PRINTER_NAME when the printer has no driver.
BOOL SpoolerAddJob(LPCWSTR printerName, const JOB_INFO_1W* job);
// Removes the job when the printer has it.
void SpoolerDeleteJob(LPCWSTR printerName, DWORD jobId);
// Sets the printer-driver directory GetPrinterDriverDirectoryW answers, for
// every printer; null or empty goes back to the module folder.
void SpoolerSetDriverDirectory(LPCWSTR folder);
