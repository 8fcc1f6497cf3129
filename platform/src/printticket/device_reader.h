// Reading a device description file (format: devices/README.md).
#pragma once

#include <string>

#include "device.h"
#include "status.h"

namespace tav::printticket {

inline constexpr char kDeviceNamespace[] = "http://schemas.tavprint.example/tav/2026/device";

// Parses and checks a device description. Failures are
// E_PRINTDEVICECAPABILITIES_FORMAT with the reason; origin names the file in
// messages. The default ticket is only checked to be a PrintTicket here; its
// agreement with the device is checked by CheckDefaultTicket.
Status ReadDeviceDescription(const std::string& bytes, const std::string& origin, DeviceDescription* device);

}  // namespace tav::printticket
