// A filter module loaded with dlopen, and its filter objects, obtained only
// through the module's DllGetClassObject export.
#pragma once

#include <memory>
#include <string>

#include "platform/comobject.h"
#include "platform/library.h"  // ModuleFolder, ResolveModulePath: where modules are found
#include "platform/pipeline.h"

namespace tav::host {

class FilterModule {
public:
    // Throws std::runtime_error with the loader's message.
    static std::unique_ptr<FilterModule> Load(const std::string& path);
    ~FilterModule();
    FilterModule(const FilterModule&) = delete;
    FilterModule& operator=(const FilterModule&) = delete;

    // A new filter object of the class; throws std::runtime_error naming
    // the HRESULT when the module refuses.
    ComPtr<IPrintPipelineFilter> CreateFilter(const CLSID& clsid) const;

private:
    FilterModule() = default;
    std::string path_;
    void* handle_ = nullptr;
    DllGetClassObjectFunction getClassObject_ = nullptr;
};

}  // namespace tav::host
