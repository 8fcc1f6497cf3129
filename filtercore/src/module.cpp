#include "filtercore/module.h"

#include <dlfcn.h>

namespace tav::filtercore {

BOOL ModuleMain(ModuleState& module, HINSTANCE instance, DWORD reason)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        module.trace.Attach();
        module.instance = instance;
        break;
    case DLL_PROCESS_DETACH: module.trace.Detach(); break;
    default: break;
    }
    return TRUE;
}

HINSTANCE ModuleInstanceOf(const void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0) return nullptr;
    return info.dli_fbase;
}

HRESULT HandOutNewObject(IUnknown* created, REFIID riid, void** object)
{
    HRESULT hr = created->QueryInterface(riid, object);
    // Without a successful query this was the only reference: the object goes.
    created->Release();
    return hr;
}

}  // namespace tav::filtercore
