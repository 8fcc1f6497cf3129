// LanguageLibrary: the driver's language library, which the header/footer
// line takes its date and time names from. It is loaded when a line first
// needs it and kept loaded for the lines after it (loading it is most of
// what composing a line costs), as long as its owner lives: the filter
// object, one job. A line for another driver or library loads that one
// instead.
#pragma once

#include <string>

#include "platform/library.h"
#include "platform/pipeline.h"

class LanguageLibrary {
public:
    LanguageLibrary() = default;
    ~LanguageLibrary();
    LanguageLibrary(const LanguageLibrary&) = delete;
    LanguageLibrary& operator=(const LanguageLibrary&) = delete;

    // The library of the printer's driver: the file libraryName names
    // beside the driver's configuration file (GetPrinterDriverW), else,
    // when that cannot be loaded or libraryName is null, the configuration
    // file itself. The failure of finding the driver or loading the file
    // otherwise, with *module null. E_POINTER for a null module. The module
    // stays this object's.
    HRESULT Get(HANDLE printer, const WCHAR* libraryName, HMODULE* module);

private:
    void Free();

    // What the loaded module was asked for: the driver's configuration
    // file and the library's file beside it.
    std::u16string configPath_;
    std::u16string libraryPath_;
    HMODULE module_ = nullptr;
};
