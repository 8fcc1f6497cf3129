// What the converter is told about the sheet a page goes onto: the page
// device values of the page feed and the settings of the page's DEVMODE.
#pragma once

#include <cstdint>
#include <string>

namespace tav::render {

struct PageDevice {
    bool known = false;
    int32_t widthMicrons = 0, heightMicrons = 0;
    int32_t resolutionX = 0, resolutionY = 0;
    int32_t rotationCode = 2;  // 2 none, 3 a quarter turn, 4 a half turn, 5 three quarters
    int32_t planes = 3;
    int32_t bitsPerPixel = 24;
};

struct DeviceSettings {
    bool known = false;
    bool colourKnown = false;
    bool colour = true;
    int16_t duplex = 1;  // DMDUP_*
    bool mediaTypeKnown = false;
    uint32_t mediaType = 0;  // DMMEDIA_*
    bool sourceKnown = false;
    int16_t defaultSource = 0;  // DMBIN_*
};

struct SheetSetup {
    double pageWidth = 0, pageHeight = 0;  // the page's own size, 1/96 inch
    PageDevice device;
    DeviceSettings settings;
};

// Reads the members the converter uses from a DEVMODE of `size` bytes (the
// structure and its driver-extra bytes): only members that lie inside both
// `size` and the DEVMODE's own dmSize and that dmFields marks as set.
DeviceSettings ReadDeviceSettings(const void* devmode, uint32_t size);

}  // namespace tav::render
