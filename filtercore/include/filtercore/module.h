// The three exports of a filter module, written once here and instantiated in
// each module with its own class identifier and filter class:
//
//   TAV_FILTER_MODULE(OrderFilter, CLSID_OrderFilter, kTraceControlGuid, kTraceMessageGuid, "tavord")
//
// in exactly one source file of the module defines DllMain,
// DllGetClassObject and DllCanUnloadNow, and runs DllMain's process attach
// and detach when the module is loaded and unloaded. There is no class
// factory object: DllGetClassObject hands out the filter object itself.
#pragma once

#include <new>

#include "filtercore/errors.h"
#include "filtercore/module_trace.h"
#include "filtercore/raised_result.h"
#include "platform/pipeline.h"

namespace tav::filtercore {

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

// One per module; constant-initialised, so it exists before the module's
// load function runs and needs no destructor.
struct ModuleState {
    HINSTANCE instance;
    ModuleTrace trace;
};

// DllMain: trace registration at process attach, its end at detach; always
// TRUE.
BOOL ModuleMain(ModuleState& module, HINSTANCE instance, DWORD reason);

// The base address of the module that contains address (its instance handle).
HINSTANCE ModuleInstanceOf(const void* address);

// DllGetClassObject's second half: queries a newly created object for riid,
// drops the creation reference and returns the query's result.
HRESULT HandOutNewObject(IUnknown* created, REFIID riid, void** object);

template <class Filter>
HRESULT GetFilterClassObject(REFCLSID moduleClass, REFCLSID requested, REFIID riid, void** object)
{
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(requested, moduleClass)) return CLASS_E_CLASSNOTAVAILABLE;
    IPrintPipelineFilter* created = nullptr;
    HRESULT hr = CatchRaised([&] {
        created = new Filter;
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    return HandOutNewObject(created, riid, object);
}

}  // namespace tav::filtercore

#define TAV_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

#define TAV_FILTER_MODULE(FilterClass, moduleClassId, traceControlGuid, traceMessageGuid, moduleName)                 \
    namespace {                                                                                                       \
    constinit tav::filtercore::ModuleState tavModuleState{nullptr, {traceControlGuid, traceMessageGuid, moduleName}}; \
    }                                                                                                                 \
    TAV_MODULE_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID)                                          \
    {                                                                                                                 \
        return tav::filtercore::ModuleMain(tavModuleState, instance, reason);                                         \
    }                                                                                                                 \
    TAV_MODULE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)                           \
    {                                                                                                                 \
        return tav::filtercore::GetFilterClassObject<FilterClass>(moduleClassId, clsid, riid, object);                \
    }                                                                                                                 \
    /* The module keeps no count of objects or locks that could keep it loaded. */                                    \
    TAV_MODULE_EXPORT HRESULT DllCanUnloadNow() { return S_OK; }                                                      \
    namespace {                                                                                                       \
    __attribute__((constructor)) void TavModuleLoaded()                                                               \
    {                                                                                                                 \
        DllMain(tav::filtercore::ModuleInstanceOf(reinterpret_cast<const void*>(&TavModuleLoaded)),                   \
                tav::filtercore::DLL_PROCESS_ATTACH, nullptr);                                                        \
    }                                                                                                                 \
    __attribute__((destructor)) void TavModuleUnloaded()                                                              \
    {                                                                                                                 \
        DllMain(tavModuleState.instance, tav::filtercore::DLL_PROCESS_DETACH, nullptr);                               \
    }                                                                                                                 \
    }
