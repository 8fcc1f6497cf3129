// Event tracing: software trace providers, their control callback and trace
// messages. Every function returns a Win32 error code (ERROR_SUCCESS on
// success), as the tracing functions the filters are written against do.
//
// A trace session writes to a file. The session a process runs under is named
// by the environment: when TAV_TRACE names a file at the time a provider
// registers, the provider is enabled at once (its control callback receives
// WMI_ENABLE_EVENTS) with the enable flags of TAV_TRACE_FLAGS (hexadecimal,
// all bits when unset) and the level of TAV_TRACE_LEVEL (decimal, 5 when
// unset). TraceMessage then appends one line per message to the file:
//
//   <UTC time stamp> seq=<n> guid={...} msg=<number> pid=<process> tid=<thread> "<text>" args=<hex>,<hex>
//
// Each field appears only when the message flags ask for it (time stamp,
// sequence number, message GUID, system information); the text when one was
// registered for the (message GUID, number) pair; args when arguments were
// passed. Lines are appended with O_APPEND and one write each, so several
// threads and processes can share one file.
#pragma once

#include "platform/guid.h"
#include "platform/hresult.h"

using TRACEHANDLE = uint64_t;
constexpr TRACEHANDLE INVALID_PROCESSTRACE_HANDLE = ~static_cast<TRACEHANDLE>(0);

enum WMIDPREQUESTCODE {
    WMI_GET_ALL_DATA = 0,
    WMI_GET_SINGLE_INSTANCE = 1,
    WMI_SET_SINGLE_INSTANCE = 2,
    WMI_SET_SINGLE_ITEM = 3,
    WMI_ENABLE_EVENTS = 4,
    WMI_DISABLE_EVENTS = 5,
    WMI_ENABLE_COLLECTION = 6,
    WMI_DISABLE_COLLECTION = 7,
    WMI_REGINFO = 8,
    WMI_EXECUTE_METHOD = 9,
};

// The buffer a control callback receives: the logger handle of the session
// that enables the provider travels in HistoricalContext.
struct WNODE_HEADER {
    ULONG BufferSize;
    ULONG ProviderId;
    ULONGLONG HistoricalContext;
    GUID Guid;
    ULONG ClientContext;
    ULONG Flags;
};

// The provider's control callback: requestCode WMI_ENABLE_EVENTS or
// WMI_DISABLE_EVENTS, the context given at registration, and the buffer.
using WMIDPREQUEST = ULONG(WINAPI*)(WMIDPREQUESTCODE requestCode, PVOID requestContext, ULONG* bufferSize,
                                    PVOID buffer);

struct TRACE_GUID_REGISTRATION {
    LPCGUID Guid;
    HANDLE RegHandle;
};

// Message flags of TraceMessage.
constexpr ULONG TRACE_MESSAGE_SEQUENCE = 0x01;
constexpr ULONG TRACE_MESSAGE_GUID = 0x02;
constexpr ULONG TRACE_MESSAGE_COMPONENTID = 0x04;
constexpr ULONG TRACE_MESSAGE_TIMESTAMP = 0x08;
constexpr ULONG TRACE_MESSAGE_PERFORMANCE_TIMESTAMP = 0x10;
constexpr ULONG TRACE_MESSAGE_SYSTEMINFO = 0x20;

// Registers a provider. ERROR_INVALID_PARAMETER for a null callback, control
// GUID or handle pointer, or guidCount > 0 with no registrations. Each
// registration's RegHandle is set. When TAV_TRACE is set the callback is
// called with WMI_ENABLE_EVENTS before this returns.
ULONG RegisterTraceGuidsW(WMIDPREQUEST requestAddress, PVOID requestContext, LPCGUID controlGuid, ULONG guidCount,
                          TRACE_GUID_REGISTRATION* traceGuidReg, LPCWSTR mofImagePath, LPCWSTR mofResourceName,
                          TRACEHANDLE* registrationHandle);
// ERROR_INVALID_HANDLE for a handle that is not registered.
ULONG UnregisterTraceGuids(TRACEHANDLE registrationHandle);

// The logger handle in a control callback's buffer; INVALID_PROCESSTRACE_HANDLE
// (last error ERROR_INVALID_PARAMETER) for a null buffer.
TRACEHANDLE GetTraceLoggerHandle(PVOID buffer);
// The session's level and flags; 0 (last error ERROR_INVALID_HANDLE) for an
// unknown logger handle.
UCHAR GetTraceEnableLevel(TRACEHANDLE loggerHandle);
ULONG GetTraceEnableFlags(TRACEHANDLE loggerHandle);

// Writes one message: after messageNumber come (const void* data, size_t
// length) argument pairs, ended by a null data pointer.
// ERROR_INVALID_HANDLE for an unknown logger, ERROR_INVALID_PARAMETER for a
// null GUID, ERROR_PATH_NOT_FOUND or ERROR_ACCESS_DENIED when the file cannot
// be opened, ERROR_WRITE_FAULT when the line cannot be written whole.
ULONG TraceMessage(TRACEHANDLE loggerHandle, ULONG messageFlags, LPCGUID messageGuid, USHORT messageNumber, ...);

// The text written with message (guid, number), the part that a trace format
// file plays elsewhere. Replaces an earlier text; a null text removes it.
void RegisterTraceMessageText(REFGUID messageGuid, USHORT messageNumber, const char* text);

// A trace session writing to a file, for tools and tests that enable
// providers themselves: they pass the logger handle to a control callback in
// WNODE_HEADER::HistoricalContext.
ULONG StartTraceFileSession(const char* path, ULONG enableFlags, UCHAR enableLevel, TRACEHANDLE* loggerHandle);
ULONG StopTraceFileSession(TRACEHANDLE loggerHandle);
