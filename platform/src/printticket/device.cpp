#include "device.h"

#include <algorithm>

namespace tav::printticket {

const std::vector<InputBin>& InputBinTable()
{
    static const std::vector<InputBin> table = {
        {"AutoSelect", false}, {"SameTray", true}, {"Tray1", true},   {"Tray2", true},
        {"Tray3", true},       {"Tray4", true},    {"TrayID1", true}, {"TrayID2", true},
        {"TrayID3", true},     {"TrayID4", true},  {"Manual", false}, {"MPTray", true},
    };
    return table;
}

const DeviceMedium* DeviceDescription::FindMedium(const QualifiedName& option) const
{
    for (const DeviceMedium& medium : media)
        if (medium.Name() == option) return &medium;
    return nullptr;
}

bool DeviceDescription::HasOrientation(Orientation orientation) const
{
    return std::find(orientations.begin(), orientations.end(), orientation) != orientations.end();
}

bool DeviceDescription::HasResolution(int64_t dpi) const
{
    return std::find(resolutions.begin(), resolutions.end(), dpi) != resolutions.end();
}

bool DeviceDescription::HasInputBin(const QualifiedName& option) const
{
    return std::any_of(inputBins.begin(), inputBins.end(), [&](const InputBin& bin) { return bin.Name() == option; });
}

}  // namespace tav::printticket

namespace tav::printticket {

QualifiedName ResolutionOptionName(int64_t dpi) { return PrivateKeyword("Resolution" + std::to_string(dpi)); }

}  // namespace tav::printticket
