#include "job/spooler_job.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "platform/library.h"
#include "platform/wformat.h"

namespace tav::host {
namespace {

constexpr DWORD kDriverVersion = 3;
constexpr DWORD kDefaultPriority = 1;

std::string MachineName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

LPWSTR Text(std::u16string& text) { return text.data(); }

}  // namespace

std::string DriverConfigFile() { return ResolveModulePath("libtavprep.so"); }

std::string DefaultDriverDirectory() { return ModuleFolder() + "/converters/trace"; }

DriverDirectoryScope::DriverDirectoryScope(const std::string& folder)
{
    SpoolerSetDriverDirectory(Utf8ToWide(folder.empty() ? DefaultDriverDirectory() : folder).c_str());
}

DriverDirectoryScope::~DriverDirectoryScope() { SpoolerSetDriverDirectory(nullptr); }

std::string JobOwnerName(const std::string& given)
{
    if (!given.empty()) return given;
    uid_t user = getuid();
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && *found->pw_name != '\0') {
        return found->pw_name;
    }
    for (const char* variable : {"LOGNAME", "USER"}) {
        const char* name = std::getenv(variable);
        if (name != nullptr && *name != '\0') return name;
    }
    return std::to_string(user);
}

std::string JobDocumentName(const std::string& title, const std::string& input)
{
    if (!title.empty()) return title;
    if (input == "-") return "standard input";
    size_t slash = input.rfind('/');
    return slash == std::string::npos ? input : input.substr(slash + 1);
}

SpoolerJob::SpoolerJob(const SpoolerJobRecord& record) : printerName_(Utf8ToWide(record.printer)), jobId_(record.jobId)
{
    std::u16string driverName = u"tav print filters";
    std::u16string environment = u"Linux";
    std::u16string driverPath = Utf8ToWide(ResolveModulePath("libtavrip.so"));
    std::u16string dataFile = Utf8ToWide(record.deviceFile);
    std::u16string configFile = Utf8ToWide(DriverConfigFile());
    DRIVER_INFO_2W driver{kDriverVersion,   Text(driverName), Text(environment),
                          Text(driverPath), Text(dataFile),   Text(configFile)};
    if (!SpoolerSetPrinterDriver(printerName_.c_str(), &driver)) {
        throw std::runtime_error("the spooler refuses the printer " + record.printer);
    }

    std::u16string machine = Utf8ToWide(MachineName());
    std::u16string owner = Utf8ToWide(record.owner);
    std::u16string document = Utf8ToWide(record.document);
    std::u16string datatype = u"XPS";
    JOB_INFO_1W job{};
    job.JobId = record.jobId;
    job.pMachineName = Text(machine);
    job.pUserName = Text(owner);
    job.pDocument = Text(document);
    job.pDatatype = Text(datatype);
    job.Status = JOB_STATUS_PRINTING;
    job.Priority = kDefaultPriority;
    job.Position = 1;
    job.TotalPages = record.totalPages;
    job.Submitted = record.submitted;
    if (!SpoolerAddJob(printerName_.c_str(), &job)) {
        throw std::runtime_error("the spooler refuses job " + std::to_string(record.jobId));
    }
    if (!OpenPrinterW(printerName_.data(), &printer_, nullptr)) {
        SpoolerDeleteJob(printerName_.c_str(), jobId_);
        throw std::runtime_error("the spooler cannot open the printer " + record.printer);
    }
}

SpoolerJob::~SpoolerJob()
{
    ClosePrinter(printer_);
    SpoolerDeleteJob(printerName_.c_str(), jobId_);
}

}  // namespace tav::host
