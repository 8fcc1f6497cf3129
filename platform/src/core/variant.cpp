#include "platform/variant.h"

#include <cstring>

void VariantInit(VARIANT* value)
{
    if (value == nullptr) return;
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value)
{
    if (value == nullptr) return E_INVALIDARG;
    switch (value->vt) {
    case VT_BSTR: SysFreeString(value->bstrVal); break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (value->punkVal != nullptr) value->punkVal->Release();
        break;
    default: break;
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source)
{
    if (destination == nullptr || source == nullptr) return E_INVALIDARG;
    if (destination == source) return S_OK;
    VARIANT copy = *source;
    switch (source->vt) {
    case VT_BSTR:
        if (source->bstrVal != nullptr) {
            copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
            if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
        }
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (copy.punkVal != nullptr) copy.punkVal->AddRef();
        break;
    default: break;
    }
    VariantClear(destination);
    *destination = copy;
    return S_OK;
}
