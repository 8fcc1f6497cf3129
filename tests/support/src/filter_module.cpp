#include "testsupport/filter_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace testsupport {

std::string ModuleDirectory()
{
    if (const char* build = std::getenv("TAV_BUILD_DIR"); build != nullptr && *build != '\0')
        return std::string(build) + "/lib";
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "lib";
    std::string program(self, static_cast<size_t>(length));
    std::string bin = program.substr(0, program.rfind('/'));
    return bin.substr(0, bin.rfind('/')) + "/lib";
}

std::string ModulePath(const std::string& name) { return ModuleDirectory() + "/lib" + name + ".so"; }

FilterModule::FilterModule(const std::string& path)
{
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* message = dlerror();
        error_ = message != nullptr ? message : "cannot load " + path;
        return;
    }
    getClassObject_ = reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle_, "DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<DllCanUnloadNowFunction>(dlsym(handle_, "DllCanUnloadNow"));
    if (!Loaded()) error_ = path + " lacks the filter module exports";
}

FilterModule::~FilterModule()
{
    if (handle_ != nullptr) dlclose(handle_);
}

HRESULT FilterModule::DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) const
{
    return getClassObject_ != nullptr ? getClassObject_(clsid, riid, object) : E_UNEXPECTED;
}

HRESULT FilterModule::DllCanUnloadNow() const { return canUnloadNow_ != nullptr ? canUnloadNow_() : E_UNEXPECTED; }

ComPtr<IPrintPipelineFilter> FilterModule::CreateFilter(REFCLSID clsid) const
{
    ComPtr<IPrintPipelineFilter> filter;
    if (FAILED(DllGetClassObject(clsid, IID_IPrintPipelineFilter, filter.OutVoid()))) filter.Reset();
    return filter;
}

}  // namespace testsupport
