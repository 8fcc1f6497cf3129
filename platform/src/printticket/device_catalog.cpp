#include "device_catalog.h"

#include <cerrno>
#include <map>
#include <mutex>
#include <optional>

#include "bounded_file.h"
#include "device_reader.h"
#include "embedded_default_device.h"
#include "platform/printticket.h"
#include "platform/secure_xml.h"
#include "ticket_validation.h"

namespace tav::printticket {
namespace {

struct Registry {
    std::mutex lock;
    std::map<std::u16string, std::string, std::less<>> files;
};

Registry& Printers()
{
    static Registry registry;
    return registry;
}

HRESULT FromErrno(int error)
{
    switch (error) {
    case ENOENT: return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case ENOTDIR: return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM: return E_ACCESSDENIED;
    case ENOMEM: return E_OUTOFMEMORY;
    default: return E_FAIL;
    }
}

Status ReadDeviceFile(const std::string& path, std::string* bytes)
{
    FileReadResult read = ReadBoundedFile(path, securexml::kMaximumDocumentBytes, bytes);
    if (read.kind == FileReadResult::kRead) return Status::Ok();
    HRESULT code =
        read.kind == FileReadResult::kSystemError ? FromErrno(read.systemError) : E_PRINTDEVICECAPABILITIES_FORMAT;
    return Status::Failure(code, "Cannot read the device description " + path + ": " + read.reason + ".");
}

}  // namespace

Status LoadDevice(const std::string& bytes, const std::string& origin, std::shared_ptr<const DeviceDescription>* device)
{
    auto description = std::make_shared<DeviceDescription>();
    Status status = ReadDeviceDescription(bytes, origin, description.get());
    if (status.Succeeded()) status = CheckDefaultTicket(*description, origin);
    if (!status.Succeeded()) return status;
    *device = std::move(description);
    return Status::Ok();
}

Status DefaultDevice(std::shared_ptr<const DeviceDescription>* device)
{
    static const auto loaded = [] {
        std::pair<Status, std::shared_ptr<const DeviceDescription>> result;
        std::string bytes(reinterpret_cast<const char*>(kEmbeddedDefaultDevice), kEmbeddedDefaultDeviceSize);
        result.first = LoadDevice(bytes, "(built-in default device)", &result.second);
        return result;
    }();
    if (!loaded.first.Succeeded()) return loaded.first;
    *device = loaded.second;
    return Status::Ok();
}

void RegisterPrinterDevice(std::u16string printerName, std::string deviceFile)
{
    Registry& registry = Printers();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (deviceFile.empty())
        registry.files.erase(printerName);
    else
        registry.files[std::move(printerName)] = std::move(deviceFile);
}

Status DeviceForPrinter(std::u16string_view printerName, std::shared_ptr<const DeviceDescription>* device)
{
    std::optional<std::string> file;
    {
        Registry& registry = Printers();
        std::lock_guard<std::mutex> guard(registry.lock);
        auto found = registry.files.find(printerName);
        if (found != registry.files.end()) file = found->second;
    }
    if (!file) return DefaultDevice(device);
    std::string bytes;
    Status status = ReadDeviceFile(*file, &bytes);
    if (!status.Succeeded()) return status;
    return LoadDevice(bytes, *file, device);
}

}  // namespace tav::printticket
