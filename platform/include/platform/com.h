// COM runtime: per-thread initialisation, object creation over the
// platform's class table, task memory and the current file time.
#pragma once

#include "platform/unknown.h"

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// S_OK for the first call on a thread, S_FALSE for a nested one with the same
// model, RPC_E_CHANGED_MODE for a nested one with another model.
HRESULT CoInitializeEx(void* reserved, DWORD model);
// Undoes one successful CoInitializeEx of this thread.
void CoUninitialize();
// True when COM is initialised on the calling thread.
bool CoIsInitializedOnThread();

// Creates an object of a class of the platform's class table.
// CO_E_NOTINITIALIZED when COM is not initialised on the thread,
// REGDB_E_CLASSNOTREG for an unknown class, CLASS_E_NOAGGREGATION for a
// non-null outer object.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);

// The platform's class table: a creator makes a new object with one
// reference and hands out the requested interface.
using ClassCreator = HRESULT (*)(REFIID riid, void** object);
// Adds (or replaces) a class. Thread-safe; used by the platform's own
// components at load time and by tests.
void CoRegisterPlatformClass(REFCLSID clsid, ClassCreator creator);

void* CoTaskMemAlloc(SIZE_T size);
void CoTaskMemFree(void* block);

// The current UTC time as a FILETIME.
HRESULT CoFileTimeNow(FILETIME* time);
