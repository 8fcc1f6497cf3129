// The two exceptions that carry a failure inside the filter library. Each
// holds one HRESULT and nothing else; operations that return an HRESULT catch
// them and return the carried value.
#pragma once

#include "platform/hresult.h"

// Raised by the library's own string and format code.
class CXDException {
public:
    explicit CXDException(HRESULT result) : hr(result) {}
    HRESULT hr;
};

// Raised by the BSTR utilities: a failed concatenation or a failed BSTR
// allocation from a multibyte string.
class CAtlException {
public:
    explicit CAtlException(HRESULT result) : hr(result) {}
    HRESULT hr;
};
