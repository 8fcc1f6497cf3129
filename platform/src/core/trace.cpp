#include "platform/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/base.h"
#include "platform/wformat.h"

namespace {

struct TraceSession {
    std::string path;
    ULONG enableFlags = 0;
    UCHAR enableLevel = 0;
};

struct Registration {
    // The session this registration started from TAV_TRACE, stopped with it.
    TRACEHANDLE environmentSession = 0;
};

struct GuidNumberLess {
    bool operator()(const std::pair<GUID, USHORT>& a, const std::pair<GUID, USHORT>& b) const
    {
        int order = std::memcmp(&a.first, &b.first, sizeof(GUID));
        return order != 0 ? order < 0 : a.second < b.second;
    }
};

struct TraceState {
    std::mutex lock;
    TRACEHANDLE nextHandle = 0x1000;
    std::map<TRACEHANDLE, TraceSession> sessions;
    std::map<TRACEHANDLE, Registration> registrations;
    std::map<std::pair<GUID, USHORT>, std::string, GuidNumberLess> texts;
};

// Never destroyed: modules write their detach message from their unload
// functions, which may run after this library's static destructors.
TraceState& State()
{
    static TraceState* state = new TraceState;
    return *state;
}

std::atomic<ULONG> messageSequence{0};

ULONG StartSession(TraceSession session, TRACEHANDLE* loggerHandle)
{
    TraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    TRACEHANDLE handle = state.nextHandle++;
    state.sessions.emplace(handle, std::move(session));
    *loggerHandle = handle;
    return ERROR_SUCCESS;
}

// A whole number in the given base, at most limit; false for anything else
// (the default then stays).
bool ParseNumber(const char* text, int base, unsigned long limit, unsigned long* value)
{
    if (text == nullptr || *text == '\0' || *text == '-' || *text == '+') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long parsed = std::strtoul(text, &end, base);
    if (errno != 0 || *end != '\0' || parsed > limit) return false;
    *value = parsed;
    return true;
}

// The session TAV_TRACE asks for, or 0 when the variable is unset or empty.
TRACEHANDLE StartEnvironmentSession()
{
    const char* path = std::getenv("TAV_TRACE");
    if (path == nullptr || *path == '\0') return 0;
    TraceSession session;
    session.path = path;
    session.enableFlags = 0xFFFFFFFFu;
    session.enableLevel = 5;
    unsigned long value = 0;
    if (ParseNumber(std::getenv("TAV_TRACE_FLAGS"), 16, 0xFFFFFFFFul, &value))
        session.enableFlags = static_cast<ULONG>(value);
    if (ParseNumber(std::getenv("TAV_TRACE_LEVEL"), 10, 255, &value)) session.enableLevel = static_cast<UCHAR>(value);
    TRACEHANDLE handle = 0;
    StartSession(std::move(session), &handle);
    return handle;
}

bool FindSession(TRACEHANDLE loggerHandle, TraceSession* session)
{
    TraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    auto found = state.sessions.find(loggerHandle);
    if (found == state.sessions.end()) return false;
    if (session != nullptr) *session = found->second;
    return true;
}

std::string TimeStamp()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06ldZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<long>(now.tv_nsec / 1000));
    return text;
}

std::string GuidText(REFGUID guid)
{
    WCHAR wide[40];
    StringFromGUID2(guid, wide, 40);
    return WideToUtf8(wide);
}

// The registered text of a message, with control characters replaced so that
// a message stays on one line.
std::string MessageText(REFGUID guid, USHORT number)
{
    TraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    auto found = state.texts.find({guid, number});
    if (found == state.texts.end()) return {};
    std::string text = found->second;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '"') c = '?';
    }
    return text;
}

void AppendHex(std::string& line, const void* data, size_t length)
{
    static const char digits[] = "0123456789abcdef";
    auto* bytes = static_cast<const BYTE*>(data);
    for (size_t i = 0; i < length; ++i) {
        line += digits[bytes[i] >> 4];
        line += digits[bytes[i] & 0x0F];
    }
}

ULONG AppendLine(const std::string& path, const std::string& line)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
    ssize_t written;
    do {
        written = write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    close(fd);
    return written == static_cast<ssize_t>(line.size()) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

}  // namespace

ULONG RegisterTraceGuidsW(WMIDPREQUEST requestAddress, PVOID requestContext, LPCGUID controlGuid, ULONG guidCount,
                          TRACE_GUID_REGISTRATION* traceGuidReg, LPCWSTR, LPCWSTR, TRACEHANDLE* registrationHandle)
{
    if (requestAddress == nullptr || controlGuid == nullptr || registrationHandle == nullptr ||
        (guidCount > 0 && traceGuidReg == nullptr))
        return ERROR_INVALID_PARAMETER;
    TRACEHANDLE environmentSession = StartEnvironmentSession();
    TRACEHANDLE handle;
    {
        TraceState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        handle = state.nextHandle++;
        state.registrations[handle].environmentSession = environmentSession;
    }
    for (ULONG i = 0; i < guidCount; ++i) traceGuidReg[i].RegHandle = reinterpret_cast<HANDLE>(handle);
    *registrationHandle = handle;

    if (environmentSession != 0) {
        WNODE_HEADER header{};
        header.BufferSize = sizeof header;
        header.HistoricalContext = environmentSession;
        header.Guid = *controlGuid;
        ULONG size = sizeof header;
        requestAddress(WMI_ENABLE_EVENTS, requestContext, &size, &header);
    }
    return ERROR_SUCCESS;
}

ULONG UnregisterTraceGuids(TRACEHANDLE registrationHandle)
{
    TraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    auto found = state.registrations.find(registrationHandle);
    if (found == state.registrations.end()) return ERROR_INVALID_HANDLE;
    state.sessions.erase(found->second.environmentSession);
    state.registrations.erase(found);
    return ERROR_SUCCESS;
}

TRACEHANDLE GetTraceLoggerHandle(PVOID buffer)
{
    if (buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_PROCESSTRACE_HANDLE;
    }
    return static_cast<const WNODE_HEADER*>(buffer)->HistoricalContext;
}

UCHAR GetTraceEnableLevel(TRACEHANDLE loggerHandle)
{
    TraceSession session;
    if (!FindSession(loggerHandle, &session)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return session.enableLevel;
}

ULONG GetTraceEnableFlags(TRACEHANDLE loggerHandle)
{
    TraceSession session;
    if (!FindSession(loggerHandle, &session)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return session.enableFlags;
}

ULONG TraceMessage(TRACEHANDLE loggerHandle, ULONG messageFlags, LPCGUID messageGuid, USHORT messageNumber, ...)
{
    if (messageGuid == nullptr) return ERROR_INVALID_PARAMETER;
    TraceSession session;
    if (!FindSession(loggerHandle, &session)) return ERROR_INVALID_HANDLE;

    std::string line;
    auto field = [&line](const std::string& text) {
        if (!line.empty()) line += ' ';
        line += text;
    };
    if (messageFlags & TRACE_MESSAGE_TIMESTAMP) field(TimeStamp());
    if (messageFlags & TRACE_MESSAGE_SEQUENCE) field("seq=" + std::to_string(++messageSequence));
    if (messageFlags & TRACE_MESSAGE_GUID) field("guid=" + GuidText(*messageGuid));
    field("msg=" + std::to_string(messageNumber));
    if (messageFlags & TRACE_MESSAGE_SYSTEMINFO)
        field("pid=" + std::to_string(GetCurrentProcessId()) + " tid=" + std::to_string(GetCurrentThreadId()));
    std::string text = MessageText(*messageGuid, messageNumber);
    if (!text.empty()) field("\"" + text + "\"");

    va_list args;
    va_start(args, messageNumber);
    std::string arguments;
    for (const void* data = va_arg(args, const void*); data != nullptr; data = va_arg(args, const void*)) {
        size_t length = va_arg(args, size_t);
        if (!arguments.empty()) arguments += ',';
        AppendHex(arguments, data, length);
    }
    va_end(args);
    if (!arguments.empty()) field("args=" + arguments);
    line += '\n';
    return AppendLine(session.path, line);
}

void RegisterTraceMessageText(REFGUID messageGuid, USHORT messageNumber, const char* text)
{
    TraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (text == nullptr)
        state.texts.erase({messageGuid, messageNumber});
    else
        state.texts[{messageGuid, messageNumber}] = text;
}

ULONG StartTraceFileSession(const char* path, ULONG enableFlags, UCHAR enableLevel, TRACEHANDLE* loggerHandle)
{
    if (path == nullptr || *path == '\0' || loggerHandle == nullptr) return ERROR_INVALID_PARAMETER;
    return StartSession(TraceSession{path, enableFlags, enableLevel}, loggerHandle);
}

ULONG StopTraceFileSession(TRACEHANDLE loggerHandle)
{
    TraceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.sessions.erase(loggerHandle) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
