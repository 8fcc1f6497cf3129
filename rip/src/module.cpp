// The exports of tavrip: the three module functions, the converter's
// resource callbacks and the manual duplex start.
#include <cstdio>
#include <string>

#include "filtercore/filter_classes.h"
#include "filtercore/module.h"
#include "manual_duplex_start.h"
#include "platform/bstr.h"
#include "resource_callbacks.h"
#include "rip_filter.h"

namespace {

// The module's event-trace provider and the identifier of its messages.
constexpr GUID kTraceControlGuid = {0x5A1362DC, 0x4CE2, 0x4F11, {0x9C, 0xF3, 0xF3, 0x34, 0xB0, 0x71, 0xD7, 0x00}};
constexpr GUID kTraceMessageGuid = {0xBBE5CC7B, 0xACB1, 0x48C0, {0x99, 0xA1, 0x1B, 0xCC, 0x6B, 0x45, 0xE3, 0xF8}};

}  // namespace

TAV_FILTER_MODULE(RipFilter, CLSID_RipFilter, kTraceControlGuid, kTraceMessageGuid, "tavrip")

TAV_MODULE_EXPORT BOOL GetXPSFontData(ConverterAllocate allocate, ConverterFree release, void* pageObject,
                                      const char* uri, uintptr_t ignored1, uintptr_t ignored2, void** block,
                                      uint32_t* size)
{
    return FetchFontData(allocate, release, pageObject, uri, ignored1, ignored2, block, size);
}

TAV_MODULE_EXPORT BOOL GetXPSICCData(ConverterAllocate allocate, ConverterFree release, void* pageObject,
                                     const char* uri, uintptr_t ignored1, uintptr_t ignored2, void** block,
                                     uint32_t* size)
{
    return FetchColourProfileData(allocate, release, pageObject, uri, ignored1, ignored2, block, size);
}

TAV_MODULE_EXPORT BOOL GetXPSImageData(ConverterAllocate allocate, ConverterFree release, void* pageObject,
                                       const char* uri, uintptr_t ignored1, uintptr_t ignored2, void** block)
{
    return FetchImageData(allocate, release, pageObject, uri, ignored1, ignored2, block);
}

// Runs in the print UI host: starts the manual duplex program and waits for
// it. The string returned is always empty.
TAV_MODULE_EXPORT BSTR StartManualDuplex(const WCHAR* arguments)
{
    // The print UI host has nowhere to show a failure: it goes to the
    // user's terminal.
    std::string failure;
    RunManualDuplexProgram(arguments, &failure);
    if (!failure.empty())
        std::fprintf(stderr, "tavrip: the manual duplex program is not started: %s\n", failure.c_str());
    return SysAllocString(u"");
}
