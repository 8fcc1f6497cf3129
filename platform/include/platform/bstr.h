// BSTR: a char16_t string preceded by its 32-bit length in bytes and always
// zero-terminated. A null BSTR is the empty string.
#pragma once

#include "platform/hresult.h"

using BSTR = WCHAR*;

BSTR SysAllocString(const WCHAR* text);
BSTR SysAllocStringLen(const WCHAR* text, UINT length);  // text may be null: uninitialised zeroed content
INT SysReAllocStringLen(BSTR* target, const WCHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// Locale comparison of two BSTRs (null counts as empty).
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_INVARIANT = 0x007F;
constexpr ULONG NORM_IGNORECASE = 0x00000001;

constexpr HRESULT VARCMP_LT = 0;
constexpr HRESULT VARCMP_EQ = 1;
constexpr HRESULT VARCMP_GT = 2;
constexpr HRESULT VARCMP_NULL = 3;

// Returns VARCMP_LT, VARCMP_EQ or VARCMP_GT. Without NORM_IGNORECASE the
// comparison is case-sensitive: only texts with the same characters are equal.
// Ordering follows the user's collation (letters compare alphabetically before
// case decides).
HRESULT VarBstrCmp(BSTR left, BSTR right, LCID lcid, ULONG flags);

// Concatenates into a new BSTR.
HRESULT VarBstrCat(BSTR left, BSTR right, BSTR* result);
