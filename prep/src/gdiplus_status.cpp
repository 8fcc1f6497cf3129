#include "gdiplus_status.h"

#include "platform/base.h"

namespace {

// The thread's last error as a failure. A call that failed with no error
// recorded must not come back as success.
HRESULT LastErrorAsFailure()
{
    DWORD error = GetLastError();
    HRESULT hr = static_cast<INT>(error) <= 0 ? static_cast<HRESULT>(error) : HRESULT_FROM_WIN32(error);
    return FAILED(hr) ? hr : E_FAIL;
}

}  // namespace

HRESULT HResultFromGdiplusStatus(Gdiplus::Status status)
{
    switch (status) {
    case Gdiplus::Ok: return S_OK;
    case Gdiplus::InvalidParameter: return E_INVALIDARG;
    case Gdiplus::OutOfMemory:
    case Gdiplus::InsufficientBuffer: return E_OUTOFMEMORY;
    case Gdiplus::ObjectBusy: return E_UNEXPECTED;
    case Gdiplus::NotImplemented: return E_NOTIMPL;
    case Gdiplus::Win32Error: return LastErrorAsFailure();
    case Gdiplus::FileNotFound: return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case Gdiplus::AccessDenied: return E_ACCESSDENIED;
    default: return E_FAIL;
    }
}
