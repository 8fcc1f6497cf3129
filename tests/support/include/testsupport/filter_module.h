// A filter module loaded with dlopen, used only through its exports, as the
// pipeline host loads it.
#pragma once

#include <string>

#include "platform/comobject.h"
#include "platform/pipeline.h"

namespace testsupport {

// The directory the build puts the modules in: $TAV_BUILD_DIR/lib, or the
// lib directory beside the running program's bin directory.
std::string ModuleDirectory();
// ModuleDirectory()/lib<name>.so.
std::string ModulePath(const std::string& name);

class FilterModule {
public:
    explicit FilterModule(const std::string& path);
    ~FilterModule();
    FilterModule(const FilterModule&) = delete;
    FilterModule& operator=(const FilterModule&) = delete;

    // False (with the loader's message in Error) when the module or one of
    // its exports is missing.
    bool Loaded() const { return getClassObject_ != nullptr && canUnloadNow_ != nullptr; }
    const std::string& Error() const { return error_; }

    HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) const;
    HRESULT DllCanUnloadNow() const;
    // The filter object for clsid, or null.
    ComPtr<IPrintPipelineFilter> CreateFilter(REFCLSID clsid) const;

private:
    void* handle_ = nullptr;
    DllGetClassObjectFunction getClassObject_ = nullptr;
    DllCanUnloadNowFunction canUnloadNow_ = nullptr;
    std::string error_;
};

}  // namespace testsupport
