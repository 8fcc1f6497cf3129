#include "converter_library.h"

#include <algorithm>
#include <vector>

#include "platform/base.h"
#include "platform/library.h"
#include "platform/spooler.h"
#include "platform/wformat.h"

namespace {

HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace

HRESULT ConverterFolder(std::u16string* folder)
{
    DWORD needed = 0;
    SetLastError(ERROR_SUCCESS);
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, nullptr, 0, &needed) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return LastErrorResult();
    if (needed < sizeof(WCHAR)) return E_FAIL;
    std::vector<BYTE> buffer(needed, 0);
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, buffer.data(), needed, &needed)) return LastErrorResult();
    std::u16string directory(needed / sizeof(WCHAR), u'\0');
    std::copy_n(buffer.data(), directory.size() * sizeof(WCHAR), reinterpret_cast<BYTE*>(directory.data()));
    directory.resize(WideLength(directory.c_str()));
    while (directory.size() > 1 && directory.back() == u'/') directory.pop_back();
    *folder = directory + u"/" + Utf8ToWide(kConverterSubdirectory);
    return S_OK;
}

ConverterModule::~ConverterModule()
{
    if (module_ != nullptr) FreeLibrary(module_);
}

HRESULT ConverterModule::Load(const std::u16string& folder, const char* name)
{
    path_ = folder + u"/" + Utf8ToWide(name);
    SetLastError(ERROR_SUCCESS);
    module_ = LoadLibraryW(path_.c_str());
    if (module_ != nullptr) return S_OK;
    HRESULT hr = LastErrorResult();
    reason_ = hr == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) ? u"there is no converter library " + path_
                                                            : u"the converter library " + path_ + u" cannot be loaded";
    return hr;
}

HRESULT ConverterModule::FindEntryPoint(const char* entryPoint, void (**found)())
{
    *found = module_ == nullptr ? nullptr : GetProcAddress(module_, entryPoint);
    if (*found != nullptr) return S_OK;
    reason_ = u"the converter library " + path_ + u" lacks the entry point " + Utf8ToWide(entryPoint);
    return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

HRESULT ControlLibrary::Load()
{
    std::u16string folder;
    HRESULT hr = ConverterFolder(&folder);
    if (FAILED(hr)) return hr;
    hr = module.Load(folder, kConverterControlLibrary);
    if (SUCCEEDED(hr)) hr = module.Find("PrnCtrlOpen", &PrnCtrlOpen);
    if (SUCCEEDED(hr)) hr = module.Find("PrnCtrlXPS2SPDLOpen", &PrnCtrlXPS2SPDLOpen);
    if (SUCCEEDED(hr)) hr = module.Find("GetConvCntFromSPDLCnt", &GetConvCntFromSPDLCnt);
    if (SUCCEEDED(hr)) hr = module.Find("DevModeSet", &DevModeSet);
    if (SUCCEEDED(hr)) hr = module.Find("PrnCtrlXPS2SPDLClose", &PrnCtrlXPS2SPDLClose);
    if (SUCCEEDED(hr)) hr = module.Find("PrnCtrlClose", &PrnCtrlClose);
    return hr;
}

HRESULT PageLibrary::Load()
{
    std::u16string folder;
    HRESULT hr = ConverterFolder(&folder);
    if (FAILED(hr)) return hr;
    hr = module.Load(folder, kConverterPageLibrary);
    if (SUCCEEDED(hr)) hr = module.Find("XpsSetConvResAPI", &XpsSetConvResAPI);
    if (SUCCEEDED(hr)) hr = module.Find("XpsSetPageDevice", &XpsSetPageDevice);
    if (SUCCEEDED(hr)) hr = module.Find("XPSStartElem", &XPSStartElem);
    if (SUCCEEDED(hr)) hr = module.Find("XPSReadAtt", &XPSReadAtt);
    if (SUCCEEDED(hr)) hr = module.Find("XPSEndCurElem", &XPSEndCurElem);
    if (SUCCEEDED(hr)) hr = module.Find("XPSEndElem", &XPSEndElem);
    return hr;
}
