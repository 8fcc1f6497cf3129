// Guarded: the boundary between the finisher's raising code and the
// operations that promise an HRESULT.
#pragma once

#include <new>

#include "filtercore/errors.h"

// Runs body (returning an HRESULT) and returns its result; a CXDException
// raised inside comes back as the HRESULT it carries, a failed allocation as
// E_OUTOFMEMORY.
template <class Body>
HRESULT Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const CXDException& raised) {
        return raised.hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
