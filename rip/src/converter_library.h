// The device converter's two libraries, libpcorectl.so (job control and
// output) and libpcoreconv.so (page conversion), loaded by full path from
// "<printer-driver directory>/3" with their entry points. Loading by full
// path keeps two converters with the same library names apart: each job
// gets the pair of the folder its printer's driver names.
#pragma once

#include <string>

#include "converter/converter_interface.h"
#include "platform/hresult.h"

// "<printer-driver directory>/3", from GetPrinterDriverDirectoryW; the
// spooler's failure otherwise.
HRESULT ConverterFolder(std::u16string* folder);

// One loaded library; frees it when destroyed.
class ConverterModule {
public:
    ConverterModule() = default;
    ~ConverterModule();
    ConverterModule(const ConverterModule&) = delete;
    ConverterModule& operator=(const ConverterModule&) = delete;

    // Loads folder/name. On failure Reason() says why, for the user:
    // "there is no converter library /x/3/libpcorectl.so".
    HRESULT Load(const std::u16string& folder, const char* name);
    // Looks an entry point up; on failure Reason() names it.
    template <class Function>
    HRESULT Find(const char* entryPoint, Function* function)
    {
        void (*found)() = nullptr;
        HRESULT hr = FindEntryPoint(entryPoint, &found);
        *function = reinterpret_cast<Function>(found);
        return hr;
    }
    bool Loaded() const { return module_ != nullptr; }
    const std::u16string& Reason() const { return reason_; }

private:
    HRESULT FindEntryPoint(const char* entryPoint, void (**found)());

    HMODULE module_ = nullptr;
    std::u16string path_;
    std::u16string reason_;
};

// libpcorectl.so and its six entry points, for the life of the filter.
struct ControlLibrary {
    // Loads the library from the converter folder; Reason() says what went
    // wrong.
    HRESULT Load();
    const std::u16string& Reason() const { return module.Reason(); }

    ConverterModule module;
    PrnCtrlOpenFunction PrnCtrlOpen = nullptr;
    PrnCtrlXPS2SPDLOpenFunction PrnCtrlXPS2SPDLOpen = nullptr;
    GetConvCntFromSPDLCntFunction GetConvCntFromSPDLCnt = nullptr;
    DevModeSetFunction DevModeSet = nullptr;
    PrnCtrlXPS2SPDLCloseFunction PrnCtrlXPS2SPDLClose = nullptr;
    PrnCtrlCloseFunction PrnCtrlClose = nullptr;
};

// libpcoreconv.so and its six entry points, loaded for one page.
struct PageLibrary {
    HRESULT Load();
    const std::u16string& Reason() const { return module.Reason(); }

    ConverterModule module;
    XpsSetConvResAPIFunction XpsSetConvResAPI = nullptr;
    XpsSetPageDeviceFunction XpsSetPageDevice = nullptr;
    XPSStartElemFunction XPSStartElem = nullptr;
    XPSReadAttFunction XPSReadAtt = nullptr;
    XPSEndCurElemFunction XPSEndCurElem = nullptr;
    XPSEndElemFunction XPSEndElem = nullptr;
};
