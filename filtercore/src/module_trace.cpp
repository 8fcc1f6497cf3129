#include "filtercore/module_trace.h"

#include <string>

namespace tav::filtercore {

ULONG WINAPI TraceControlCallback(WMIDPREQUESTCODE requestCode, PVOID context, ULONG*, PVOID buffer)
{
    auto* record = static_cast<TraceControlRecord*>(context);
    switch (requestCode) {
    case WMI_ENABLE_EVENTS: {
        TRACEHANDLE logger = GetTraceLoggerHandle(buffer);
        record->logger = logger;
        record->level = GetTraceEnableLevel(logger);
        record->flags = GetTraceEnableFlags(logger);
        return ERROR_SUCCESS;
    }
    case WMI_DISABLE_EVENTS:
        record->logger = 0;
        record->level = 0;
        record->flags = 0;
        return ERROR_SUCCESS;
    default: return ERROR_INVALID_PARAMETER;
    }
}

void ModuleTrace::Attach()
{
    record_.logger = 0;
    record_.level = 0;
    record_.flags = 0;
    record_.registration = 0;
    RegisterTraceMessageText(messageGuid_, kTraceMessageAttach, (std::string(moduleName_) + " attached").c_str());
    RegisterTraceMessageText(messageGuid_, kTraceMessageDetach, (std::string(moduleName_) + " detached").c_str());

    registration_ = TRACE_GUID_REGISTRATION{&messageGuid_, nullptr};
    TRACEHANDLE handle = 0;
    if (RegisterTraceGuidsW(TraceControlCallback, &record_, &controlGuid_, 1, &registration_, nullptr, nullptr,
                            &handle) != ERROR_SUCCESS)
        return;
    record_.registration = handle;
    WriteIfEnabled(kTraceMessageAttach);
}

void ModuleTrace::Detach()
{
    WriteIfEnabled(kTraceMessageDetach);
    if (TRACEHANDLE handle = record_.registration.exchange(0); handle != 0) UnregisterTraceGuids(handle);
    record_.logger = 0;
    record_.level = 0;
    record_.flags = 0;
    registration_ = TRACE_GUID_REGISTRATION{};
    RegisterTraceMessageText(messageGuid_, kTraceMessageAttach, nullptr);
    RegisterTraceMessageText(messageGuid_, kTraceMessageDetach, nullptr);
}

void ModuleTrace::WriteIfEnabled(USHORT messageNumber)
{
    if ((record_.flags & kTraceFlagModuleEvents) != 0)
        TraceMessage(record_.logger, kTraceMessageFlags, &messageGuid_, messageNumber, nullptr);
}

}  // namespace tav::filtercore
