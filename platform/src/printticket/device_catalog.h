// Which device description a printer stands for: the file registered for
// its name, or the built-in default device.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "device.h"
#include "status.h"

namespace tav::printticket {

// Maps a printer name to a device file, replacing an earlier mapping; an
// empty file name removes the mapping. Thread-safe.
void RegisterPrinterDevice(std::u16string printerName, std::string deviceFile);

// The device for the printer: its registered file, read and checked now, or
// the default device when the name is not registered. A registered file that
// cannot be read or is invalid is a failure. Thread-safe.
Status DeviceForPrinter(std::u16string_view printerName, std::shared_ptr<const DeviceDescription>* device);

// The built-in default device (parsed and checked once).
Status DefaultDevice(std::shared_ptr<const DeviceDescription>* device);

// Reads and checks a device description (the text of a device file).
Status LoadDevice(const std::string& bytes, const std::string& origin,
                  std::shared_ptr<const DeviceDescription>* device);

}  // namespace tav::printticket
