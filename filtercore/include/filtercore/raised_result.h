// CatchRaised: the boundary between the library's raising string code and
// its HRESULT operations.
#pragma once

#include <new>

#include "filtercore/errors.h"

// Runs body (returning an HRESULT) and returns its result; a CXDException or
// CAtlException raised inside comes back as the HRESULT it carries, and a
// failed standard allocation as E_OUTOFMEMORY, so that nothing escapes an
// operation that promises an HRESULT.
template <class Body>
HRESULT CatchRaised(Body&& body) noexcept
{
    try {
        return body();
    } catch (const CXDException& raised) {
        return raised.hr;
    } catch (const CAtlException& raised) {
        return raised.hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
