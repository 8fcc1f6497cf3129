// GUIDs: class and interface identifiers, compared by all 16 bytes.
#pragma once

#include <cstring>

#include "platform/types.h"

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPCGUID = const GUID*;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return IsEqualGUID(a, b); }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }

constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// A fresh random (version 4) GUID.
HRESULT CoCreateGuid(GUID* guid);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into a buffer of at least 39
// characters; returns the characters written including the terminator, or 0
// when the buffer is too small.
int StringFromGUID2(REFGUID guid, WCHAR* buffer, int capacity);

// Parses the braced or unbraced text form; false for anything else.
bool GuidFromString(const char* text, GUID* guid);
