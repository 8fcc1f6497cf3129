// The DEVMODE of a ticket's settings.
#pragma once

#include <string_view>

#include "platform/devmode.h"
#include "ticket_settings.h"

namespace tav::printticket {

// Fills every member the settings decide and names them in dmFields; the
// device name is the printer's (cut to 31 characters).
// The driver's settings follow it (dmDriverExtra).
DEVMODE_WITH_EXTRA ConvertToDevMode(const DeviceSettings& settings, std::u16string_view printerName);

}  // namespace tav::printticket
