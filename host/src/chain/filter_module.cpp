#include "chain/filter_module.h"

#include <dlfcn.h>

#include <stdexcept>

#include "chain/filter_chain.h"

namespace tav::host {

std::unique_ptr<FilterModule> FilterModule::Load(const std::string& path)
{
    std::unique_ptr<FilterModule> module(new FilterModule());
    module->path_ = path;
    // RTLD_LOCAL: each module keeps its own copy of the filter library.
    module->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module->handle_ == nullptr) {
        const char* message = dlerror();
        throw std::runtime_error("cannot load the filter module " + path + ": " +
                                 (message ? message : "unknown error"));
    }
    module->getClassObject_ = reinterpret_cast<DllGetClassObjectFunction>(dlsym(module->handle_, "DllGetClassObject"));
    if (module->getClassObject_ == nullptr) {
        throw std::runtime_error("the filter module " + path + " does not export DllGetClassObject");
    }
    return module;
}

FilterModule::~FilterModule()
{
    if (handle_ != nullptr) dlclose(handle_);
}

ComPtr<IPrintPipelineFilter> FilterModule::CreateFilter(const CLSID& clsid) const
{
    ComPtr<IPrintPipelineFilter> filter;
    HRESULT result = getClassObject_(clsid, IID_IPrintPipelineFilter, filter.OutVoid());
    if (FAILED(result) || !filter) {
        throw std::runtime_error("the filter module " + path_ + " gives no filter of the configured class (" +
                                 HresultText(FAILED(result) ? result : E_POINTER) + ")");
    }
    return filter;
}

}  // namespace tav::host
