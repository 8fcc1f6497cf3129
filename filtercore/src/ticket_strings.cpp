#include "filtercore/ticket_strings.h"

bool BeginsWith(BSTR text, const WCHAR* prefix)
{
    if (IsEmptyText(prefix)) return false;
    UINT length = SysStringLen(text);
    for (UINT i = 0; prefix[i] != 0; ++i) {
        if (i >= length || text[i] != prefix[i]) return false;
    }
    return true;
}

bool SameText(BSTR text, const WCHAR* other)
{
    UINT length = SysStringLen(text);
    const WCHAR* compared = OrEmpty(other);
    for (UINT i = 0; i < length; ++i) {
        if (compared[i] != text[i]) return false;
    }
    return compared[length] == 0;
}

HRESULT TypedValueText(IXMLDOMNode* node, BSTR* text)
{
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = node->get_nodeTypedValue(&value);
    if (FAILED(hr)) return hr;
    if (value.vt != VT_BSTR) {
        VariantClear(&value);
        return E_UNEXPECTED;
    }
    // The BSTR moves to the caller; nothing is left to clear.
    *text = value.bstrVal;
    return TrimWhiteSpace(text);
}

HRESULT TrimWhiteSpace(BSTR* text)
{
    auto isSpace = [](WCHAR c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    UINT length = SysStringLen(*text);
    UINT first = 0;
    while (first < length && isSpace((*text)[first])) ++first;
    UINT end = length;
    while (end > first && isSpace((*text)[end - 1])) --end;
    if (first == 0 && end == length) return S_OK;
    BSTR trimmed = SysAllocStringLen(*text + first, end - first);
    if (trimmed == nullptr) return E_OUTOFMEMORY;
    SysFreeString(*text);
    *text = trimmed;
    return S_OK;
}

VARIANT BorrowedBstrVariant(BSTR text)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;
    return value;
}

VARIANT IntegerVariant(LONG number)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}
