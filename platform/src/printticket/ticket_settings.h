// The settings of a validated ticket that the device carries out, read into
// plain values for the capabilities and the DEVMODE.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <optional>

#include "device.h"
#include "page_geometry.h"

namespace tav::printticket {

struct PageSetup {
    const DeviceMedium* medium = nullptr;  // null for a custom size
    int64_t width = 0;                     // microns, portrait
    int64_t height = 0;
    Margins margins;  // portrait
    Orientation orientation = Orientation::Portrait;
};

enum class Duplex { OneSided, TwoSidedShortEdge, TwoSidedLongEdge };
// The two-sided option's DuplexMode: who turns the sheet.
enum class DuplexMode { None, Automatic, Manual };

struct DeviceSettings {
    PageSetup page;
    int64_t resolutionX = 0;  // dots per inch
    int64_t resolutionY = 0;
    Duplex duplex = Duplex::OneSided;
    DuplexMode duplexMode = DuplexMode::None;
    int64_t copies = 1;
    bool color = false;
    std::optional<bool> collate;
    std::optional<QualifiedName> inputBin;
};

// The medium and orientation of a ticket that ValidateTicket has passed; a
// ticket without PageMediaSize gets the device's first medium.
PageSetup ReadPageSetup(const xmlNode* root, const DeviceDescription& device);

// Everything the device does of a validated ticket. Settings the ticket
// lacks take the device's first resolution, one side, one copy and colour
// when the device has it.
DeviceSettings ReadDeviceSettings(const xmlNode* root, const DeviceDescription& device);

}  // namespace tav::printticket
