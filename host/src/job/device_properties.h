// The pipeline properties a printer's device description gives (its Output
// section, devices/README.md): "OutputBitsPixel", "OutputPlanes",
// "PortraitRotation", "LandscapeRotation" and "EncDllName64", as text for
// the property bag, between the host's defaults and --set-property.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tav::host {

// Those the printer's device gives, in that order; none when its provider
// cannot be opened (the job's tickets have said why by then).
std::vector<std::pair<std::string, std::string>> DevicePipelineProperties(const std::string& printerName);

}  // namespace tav::host
