#include "filtercore/bstr_utils.h"

#include <cstring>
#include <limits>

#include "platform/base.h"

BSTR MultibyteToBstr(const char* text)
{
    if (text == nullptr) return nullptr;
    size_t length = std::strlen(text);
    if (length > static_cast<size_t>(std::numeric_limits<int>::max())) throw CAtlException(E_OUTOFMEMORY);
    if (length == 0) {
        BSTR empty = SysAllocString(u"");
        if (empty == nullptr) throw CAtlException(E_OUTOFMEMORY);
        return empty;
    }
    int byteCount = static_cast<int>(length);
    int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, text, byteCount, nullptr, 0);
    BSTR result = needed > 0 ? SysAllocStringLen(nullptr, static_cast<UINT>(needed)) : nullptr;
    if (result == nullptr) throw CAtlException(E_OUTOFMEMORY);
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, byteCount, result, needed) != needed) {
        SysFreeString(result);
        throw CAtlException(E_OUTOFMEMORY);
    }
    return result;
}

bool BstrEquals(BSTR left, BSTR right) { return VarBstrCmp(left, right, LOCALE_USER_DEFAULT, 0) == VARCMP_EQ; }

void BstrAppend(BSTR* target, BSTR text)
{
    if (target == nullptr) throw CAtlException(E_POINTER);
    BSTR joined = nullptr;
    HRESULT hr = VarBstrCat(*target, text, &joined);
    if (FAILED(hr)) throw CAtlException(hr);
    SysFreeString(*target);
    *target = joined;
}
