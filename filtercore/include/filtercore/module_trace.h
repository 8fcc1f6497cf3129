// The event-trace provider of a filter module: registered when the module is
// loaded, unregistered when it is unloaded. It writes two messages, one at
// each end, and only when the session enables the module-event flag.
#pragma once

#include <atomic>

#include "platform/trace.h"

namespace tav::filtercore {

constexpr USHORT kTraceMessageAttach = 10;
constexpr USHORT kTraceMessageDetach = 11;
// Sequence number, message GUID, time stamp and system information.
constexpr ULONG kTraceMessageFlags =
    TRACE_MESSAGE_SEQUENCE | TRACE_MESSAGE_GUID | TRACE_MESSAGE_TIMESTAMP | TRACE_MESSAGE_SYSTEMINFO;
// The enable flag that asks for the attach and detach messages.
constexpr ULONG kTraceFlagModuleEvents = 0x4;

// What the control callback keeps: the session's logger handle, level and
// flags. The callback may run on the tracing side's thread.
struct TraceControlRecord {
    std::atomic<TRACEHANDLE> logger{0};
    std::atomic<UCHAR> level{0};
    std::atomic<ULONG> flags{0};
    std::atomic<TRACEHANDLE> registration{0};
};

// The provider's control callback; context is a TraceControlRecord.
// WMI_ENABLE_EVENTS stores the logger handle of the buffer with its level and
// flags, WMI_DISABLE_EVENTS stores zeros; any other request returns
// ERROR_INVALID_PARAMETER and changes nothing.
ULONG WINAPI TraceControlCallback(WMIDPREQUESTCODE requestCode, PVOID context, ULONG* bufferSize, PVOID buffer);

class ModuleTrace {
public:
    // moduleName names the module in the message texts; all three arguments
    // must outlive the object.
    constexpr ModuleTrace(const GUID& controlGuid, const GUID& messageGuid, const char* moduleName)
        : controlGuid_(controlGuid), messageGuid_(messageGuid), moduleName_(moduleName)
    {
    }

    // Resets and registers the control record, then writes message 10 when
    // enabled. A registration failure leaves the module without tracing.
    void Attach();
    // Writes message 11 when enabled, then unregisters.
    void Detach();

    const TraceControlRecord& Record() const { return record_; }

private:
    void WriteIfEnabled(USHORT messageNumber);

    const GUID& controlGuid_;
    const GUID& messageGuid_;
    const char* moduleName_;
    TraceControlRecord record_;
    TRACE_GUID_REGISTRATION registration_{};
};

}  // namespace tav::filtercore
