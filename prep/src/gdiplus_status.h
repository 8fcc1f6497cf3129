// The HRESULT of a GDI+ status, for every GDI+ call of the preparation
// filter.
#pragma once

#include "platform/gdiplus_types.h"
#include "platform/hresult.h"

// Ok S_OK; InvalidParameter E_INVALIDARG; OutOfMemory and InsufficientBuffer
// E_OUTOFMEMORY; ObjectBusy E_UNEXPECTED; NotImplemented E_NOTIMPL;
// Win32Error the thread's last error (a Win32 code as 0x8007xxxx, an
// HRESULT as it is, and E_FAIL when none is recorded: the call did fail);
// FileNotFound 0x80070002; AccessDenied E_ACCESSDENIED; any other E_FAIL.
HRESULT HResultFromGdiplusStatus(Gdiplus::Status status);
