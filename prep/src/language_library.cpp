#include "language_library.h"

#include <algorithm>
#include <vector>

#include "date_time_names.h"
#include "platform/base.h"
#include "platform/spooler.h"

namespace {

HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// The driver's configuration file, asked for its size first.
HRESULT DriverConfigFile(HANDLE printer, std::u16string* path)
{
    DWORD needed = 0;
    SetLastError(ERROR_SUCCESS);
    if (!GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return LastErrorResult();
    }
    if (needed < sizeof(DRIVER_INFO_2W)) return LastErrorResult();
    std::vector<BYTE> buffer(needed, 0);
    if (!GetPrinterDriverW(printer, nullptr, 2, buffer.data(), needed, &needed)) return LastErrorResult();
    DRIVER_INFO_2W driver{};
    std::copy_n(buffer.data(), sizeof driver, reinterpret_cast<BYTE*>(&driver));
    path->assign(driver.pConfigFile == nullptr ? u"" : driver.pConfigFile);
    return S_OK;
}

}  // namespace

LanguageLibrary::~LanguageLibrary() { Free(); }

void LanguageLibrary::Free()
{
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
    configPath_.clear();
    libraryPath_.clear();
}

HRESULT LanguageLibrary::Get(HANDLE printer, const WCHAR* libraryName, HMODULE* module)
{
    if (module == nullptr) return E_POINTER;
    *module = nullptr;
    std::u16string configPath;
    HRESULT hr = DriverConfigFile(printer, &configPath);
    if (FAILED(hr)) return hr;
    std::u16string libraryPath = LanguageLibraryPath(configPath, libraryName);
    if (module_ == nullptr || configPath != configPath_ || libraryPath != libraryPath_) {
        Free();
        HMODULE loaded = LoadLibraryW(libraryPath.c_str());
        if (loaded == nullptr) loaded = LoadLibraryW(configPath.c_str());
        if (loaded == nullptr) return LastErrorResult();
        module_ = loaded;
        configPath_ = std::move(configPath);
        libraryPath_ = std::move(libraryPath);
    }
    *module = module_;
    return S_OK;
}
