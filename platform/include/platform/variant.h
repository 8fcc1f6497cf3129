// VARIANT: the tagged value of property bags and of the DOM and SAX calls.
#pragma once

#include "platform/bstr.h"
#include "platform/unknown.h"

using VARTYPE = uint16_t;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_BYREF = 0x4000,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        ULONGLONG ullVal;
        LONG lVal;
        ULONG ulVal;
        INT intVal;
        UINT uintVal;
        SHORT iVal;
        USHORT uiVal;
        CHAR cVal;
        BYTE bVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        void* byref;
    };
};

using VARIANTARG = VARIANT;

void VariantInit(VARIANT* value);
// Frees what the value owns (BSTR, interface reference) and sets VT_EMPTY.
HRESULT VariantClear(VARIANT* value);
// Copies with a new BSTR or a new reference; clears the destination first.
HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);
