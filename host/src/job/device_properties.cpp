#include "job/device_properties.h"

#include "platform/printticket.h"
#include "platform/wformat.h"

namespace tav::host {

std::vector<std::pair<std::string, std::string>> DevicePipelineProperties(const std::string& printerName)
{
    std::vector<std::pair<std::string, std::string>> properties;
    std::u16string printer = Utf8ToWide(printerName);
    HPTPROVIDER provider = nullptr;
    if (FAILED(PTOpenProvider(printer.c_str(), 1, &provider))) return properties;
    for (const char* name : {"OutputBitsPixel", "OutputPlanes", "PortraitRotation", "LandscapeRotation", "EncDllName64",
                             "QzmdFileName64"}) {
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(PTGetDevicePipelineProperty(provider, Utf8ToWide(name).c_str(), &value))) {
            if (value.vt == VT_I4) properties.emplace_back(name, std::to_string(value.lVal));
            if (value.vt == VT_BSTR) properties.emplace_back(name, WideToUtf8(value.bstrVal));
        }
        VariantClear(&value);
    }
    PTCloseProvider(provider);
    return properties;
}

}  // namespace tav::host
