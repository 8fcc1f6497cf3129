#include "platform/com.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>

namespace {

struct ThreadApartment {
    int depth = 0;
    DWORD model = 0;
};

thread_local ThreadApartment apartment;

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};

struct ClassTable {
    std::mutex lock;
    std::map<GUID, ClassCreator, GuidLess> creators;
};

ClassTable& Classes()
{
    static ClassTable table;
    return table;
}

}  // namespace

HRESULT CoInitializeEx(void*, DWORD model)
{
    if (model != COINIT_APARTMENTTHREADED && model != COINIT_MULTITHREADED) return E_INVALIDARG;
    if (apartment.depth > 0 && apartment.model != model) return RPC_E_CHANGED_MODE;
    if (apartment.depth == 0) apartment.model = model;
    ++apartment.depth;
    return apartment.depth == 1 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (apartment.depth > 0) --apartment.depth;
}

bool CoIsInitializedOnThread() { return apartment.depth > 0; }

void CoRegisterPlatformClass(REFCLSID clsid, ClassCreator creator)
{
    ClassTable& table = Classes();
    std::lock_guard<std::mutex> guard(table.lock);
    table.creators[clsid] = creator;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, void** object)
{
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (!CoIsInitializedOnThread()) return CO_E_NOTINITIALIZED;
    ClassCreator creator = nullptr;
    {
        ClassTable& table = Classes();
        std::lock_guard<std::mutex> guard(table.lock);
        auto found = table.creators.find(clsid);
        if (found != table.creators.end()) creator = found->second;
    }
    if (creator == nullptr) return REGDB_E_CLASSNOTREG;
    return creator(riid, object);
}

void* CoTaskMemAlloc(SIZE_T size) { return std::malloc(size == 0 ? 1 : size); }

void CoTaskMemFree(void* block) { std::free(block); }

HRESULT CoFileTimeNow(FILETIME* time)
{
    if (time == nullptr) return E_INVALIDARG;
    // Seconds between 1601-01-01 and 1970-01-01.
    constexpr ULONGLONG kEpochDifference = 11644473600ull;
    auto since1970 = std::chrono::system_clock::now().time_since_epoch();
    auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100;
    ULONGLONG value = static_cast<ULONGLONG>(ticks) + kEpochDifference * 10000000ull;
    time->dwLowDateTime = static_cast<DWORD>(value);
    time->dwHighDateTime = static_cast<DWORD>(value >> 32);
    return S_OK;
}
