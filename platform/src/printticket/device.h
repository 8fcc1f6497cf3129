// A printer's device description: what it can print on and how. Read from
// a device file (see devices/README.md) or the built-in default device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page_geometry.h"
#include "platform/print_schema.h"

namespace tav::printticket {

struct DeviceMedium {
    std::string name;        // local name of the PageMediaSize option
    bool isPrivate = false;  // named in the private keywords namespace, else a Print Schema keyword
    int64_t width = 0;       // microns, portrait
    int64_t height = 0;
    Margins margins;  // unprintable edges, portrait

    QualifiedName Name() const { return isPrivate ? PrivateKeyword(name) : Keyword(name); }
};

struct CustomMediaLimits {
    int64_t minWidth = 0, maxWidth = 0, minHeight = 0, maxHeight = 0;  // microns

    bool Allows(int64_t width, int64_t height) const
    {
        return width >= minWidth && width <= maxWidth && height >= minHeight && height <= maxHeight;
    }
};

// One row of the input bin table the driver knows.
struct InputBin {
    const char* name;
    bool isPrivate;  // private keywords namespace, else Print Schema keywords

    QualifiedName Name() const { return isPrivate ? PrivateKeyword(name) : Keyword(name); }
};

// The bin table, in its order: AutoSelect, SameTray, Tray1..Tray4,
// TrayID1..TrayID4, Manual, MPTray.
const std::vector<InputBin>& InputBinTable();

// What the device's output is like, for the rip filter's property-bag
// entries ("OutputBitsPixel", "OutputPlanes", "PortraitRotation",
// "LandscapeRotation", "EncDllName64"); each is absent when the description
// does not say.
struct DeviceOutput {
    std::optional<int64_t> bitsPerPixel;
    std::optional<int64_t> planes;
    std::optional<int64_t> portraitRotation;         // degrees: 0, 90, 180 or 270
    std::optional<int64_t> landscapeRotation;        // likewise
    std::optional<std::string> encoder;              // file name of the device encoder library
    std::optional<std::string> manualDuplexProgram;  // file name of the manual duplex program
};

struct DeviceDescription {
    std::string name;
    bool color = false;
    bool duplex = false;
    int64_t maxCopies = 1;
    Margins defaultMargins;  // for media without margins of their own and for custom sizes
    std::vector<DeviceMedium> media;
    std::optional<CustomMediaLimits> customMedia;
    std::vector<Orientation> orientations;
    std::vector<int64_t> resolutions;  // dots per inch, the same across and down
    std::vector<InputBin> inputBins;
    // The default PrintTicket, UTF-8 XML. Its medium, resolution and other
    // settings are the device's defaults.
    std::string defaultTicket;
    DeviceOutput output;

    const DeviceMedium* FindMedium(const QualifiedName& option) const;
    bool HasOrientation(Orientation orientation) const;
    bool HasResolution(int64_t dpi) const;
    bool HasInputBin(const QualifiedName& option) const;
};

}  // namespace tav::printticket

namespace tav::printticket {

// The name of the PageResolution option for a resolution of dpi dots per
// inch across and down, in the private namespace: "Resolution600".
QualifiedName ResolutionOptionName(int64_t dpi);

}  // namespace tav::printticket
