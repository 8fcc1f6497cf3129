// The PrintCapabilities document of a device: its options for media,
// orientation, duplex, resolution, input bin, colour and copies, and the
// imageable area of the ticket's page.
#pragma once

#include <string>

#include "device.h"
#include "ticket_settings.h"

namespace tav::printticket {

// UTF-8 XML; PageImageableSize describes page (medium and orientation).
std::string WritePrintCapabilities(const DeviceDescription& device, const PageSetup& page);

}  // namespace tav::printticket
