#include "sheet_setup.h"

#include <cstddef>
#include <cstring>

#include "platform/devmode.h"

namespace tav::render {

namespace {

template <typename T>
bool ReadMember(const unsigned char* bytes, uint32_t limit, size_t offset, T* value)
{
    if (offset + sizeof(T) > limit) return false;
    std::memcpy(value, bytes + offset, sizeof(T));
    return true;
}

}  // namespace

DeviceSettings ReadDeviceSettings(const void* devmode, uint32_t size)
{
    DeviceSettings settings;
    if (!devmode) return settings;
    const auto* bytes = static_cast<const unsigned char*>(devmode);
    WORD declared = 0;
    DWORD fields = 0;
    if (!ReadMember(bytes, size, offsetof(DEVMODEW, dmSize), &declared) ||
        !ReadMember(bytes, size, offsetof(DEVMODEW, dmFields), &fields))
        return settings;
    uint32_t limit = declared < size ? declared : size;
    settings.known = true;
    SHORT color = 0, duplex = 0, source = 0;
    if ((fields & DM_COLOR) && ReadMember(bytes, limit, offsetof(DEVMODEW, dmColor), &color) &&
        (color == DMCOLOR_MONOCHROME || color == DMCOLOR_COLOR)) {
        settings.colourKnown = true;
        settings.colour = color == DMCOLOR_COLOR;
    }
    if ((fields & DM_DUPLEX) && ReadMember(bytes, limit, offsetof(DEVMODEW, dmDuplex), &duplex) && duplex >= 1 &&
        duplex <= 3)
        settings.duplex = duplex;
    if ((fields & DM_DEFAULTSOURCE) && ReadMember(bytes, limit, offsetof(DEVMODEW, dmDefaultSource), &source)) {
        settings.sourceKnown = true;
        settings.defaultSource = source;
    }
    DWORD mediaType = 0;
    if ((fields & DM_MEDIATYPE) && ReadMember(bytes, limit, offsetof(DEVMODEW, dmMediaType), &mediaType)) {
        settings.mediaTypeKnown = true;
        settings.mediaType = mediaType;
    }
    return settings;
}

}  // namespace tav::render
