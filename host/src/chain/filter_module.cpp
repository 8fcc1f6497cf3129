#include "chain/filter_module.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
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
        throw std::runtime_error("cannot load the filter module " + path + ": " + (message ? message : "unknown error"));
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

std::string ModuleFolder()
{
    const char* folder = std::getenv("TAV_MODULE_DIR");
    if (folder != nullptr && *folder != '\0') return folder;
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return ".";
    std::string executable(self, static_cast<size_t>(length));
    std::string bin = executable.substr(0, executable.rfind('/'));
    return bin + "/../lib";
}

std::string ResolveModulePath(const std::string& module)
{
    if (module.find('/') != std::string::npos) return module;
    return ModuleFolder() + "/" + module;
}

}  // namespace tav::host
