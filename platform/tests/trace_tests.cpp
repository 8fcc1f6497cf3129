// Event tracing: registration, the control callback, and the trace file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base.h"
#include "platform/trace.h"

namespace {

constexpr GUID kControlGuid = {0x1B2C3D4E, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
constexpr GUID kMessageGuid = {0x1B2C3D4E, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};

// What a control callback received.
struct CallbackLog {
    int calls = 0;
    WMIDPREQUESTCODE lastCode = WMI_GET_ALL_DATA;
    TRACEHANDLE logger = 0;
    ULONG flags = 0;
    UCHAR level = 0;
};

ULONG WINAPI RecordingCallback(WMIDPREQUESTCODE code, PVOID context, ULONG*, PVOID buffer)
{
    auto* log = static_cast<CallbackLog*>(context);
    ++log->calls;
    log->lastCode = code;
    log->logger = GetTraceLoggerHandle(buffer);
    log->flags = GetTraceEnableFlags(log->logger);
    log->level = GetTraceEnableLevel(log->logger);
    return ERROR_SUCCESS;
}

bool AllDigits(const std::string& text, size_t from, size_t count)
{
    if (count == 0 || from + count > text.size()) return false;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// Checks that a line starts with a UTC time stamp
// (YYYY-MM-DDTHH:MM:SS.uuuuuuZ) and "seq=<digits>" and gives what follows.
bool SplitStampAndSequence(const std::string& line, std::string* rest)
{
    const std::string stampShape = "0000-00-00T00:00:00.000000Z";
    if (line.size() <= stampShape.size() + 5) return false;
    for (size_t i = 0; i < stampShape.size(); ++i) {
        if (stampShape[i] == '0' ? !AllDigits(line, i, 1) : line[i] != stampShape[i]) return false;
    }
    if (line.compare(stampShape.size(), 5, " seq=") != 0) return false;
    size_t digits = stampShape.size() + 5;
    size_t space = line.find(' ', digits);
    if (space == std::string::npos || !AllDigits(line, digits, space - digits)) return false;
    *rest = line.substr(space + 1);
    return true;
}

class TraceFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = ::testing::TempDir() + "trace_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::remove(path_.c_str());
        unsetenv("TAV_TRACE");
        unsetenv("TAV_TRACE_FLAGS");
        unsetenv("TAV_TRACE_LEVEL");
    }
    void TearDown() override { std::remove(path_.c_str()); }

    std::vector<std::string> Lines() const
    {
        std::ifstream in(path_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    std::string path_;
};

TEST_F(TraceFile, RegistrationWithoutSessionLeavesProviderDisabled)
{
    CallbackLog log;
    TRACE_GUID_REGISTRATION guids[1] = {{&kControlGuid, nullptr}};
    TRACEHANDLE registration = 0;
    ASSERT_EQ(RegisterTraceGuidsW(RecordingCallback, &log, &kControlGuid, 1, guids, nullptr, nullptr, &registration),
              ERROR_SUCCESS);
    EXPECT_NE(registration, 0u);
    EXPECT_NE(guids[0].RegHandle, nullptr);
    EXPECT_EQ(log.calls, 0);
    EXPECT_EQ(UnregisterTraceGuids(registration), ERROR_SUCCESS);
    EXPECT_EQ(UnregisterTraceGuids(registration), ERROR_INVALID_HANDLE);
}

TEST_F(TraceFile, RegistrationRejectsMissingArguments)
{
    CallbackLog log;
    TRACEHANDLE registration = 0;
    EXPECT_EQ(RegisterTraceGuidsW(nullptr, &log, &kControlGuid, 0, nullptr, nullptr, nullptr, &registration),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegisterTraceGuidsW(RecordingCallback, &log, nullptr, 0, nullptr, nullptr, nullptr, &registration),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegisterTraceGuidsW(RecordingCallback, &log, &kControlGuid, 1, nullptr, nullptr, nullptr, &registration),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegisterTraceGuidsW(RecordingCallback, &log, &kControlGuid, 0, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(TraceFile, EnvironmentSessionEnablesAtRegistrationWithDefaults)
{
    setenv("TAV_TRACE", path_.c_str(), 1);
    CallbackLog log;
    TRACEHANDLE registration = 0;
    ASSERT_EQ(RegisterTraceGuidsW(RecordingCallback, &log, &kControlGuid, 0, nullptr, nullptr, nullptr, &registration),
              ERROR_SUCCESS);
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.lastCode, WMI_ENABLE_EVENTS);
    EXPECT_EQ(log.flags, 0xFFFFFFFFu);
    EXPECT_EQ(log.level, 5);
    EXPECT_EQ(TraceMessage(log.logger, TRACE_MESSAGE_SEQUENCE, &kMessageGuid, 1, nullptr), ERROR_SUCCESS);
    UnregisterTraceGuids(registration);
    // The session ended with the registration.
    EXPECT_EQ(TraceMessage(log.logger, 0, &kMessageGuid, 1, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Lines().size(), 1u);
}

TEST_F(TraceFile, EnvironmentGivesFlagsInHexAndLevel)
{
    setenv("TAV_TRACE", path_.c_str(), 1);
    setenv("TAV_TRACE_FLAGS", "1c", 1);
    setenv("TAV_TRACE_LEVEL", "3", 1);
    CallbackLog log;
    TRACEHANDLE registration = 0;
    ASSERT_EQ(RegisterTraceGuidsW(RecordingCallback, &log, &kControlGuid, 0, nullptr, nullptr, nullptr, &registration),
              ERROR_SUCCESS);
    EXPECT_EQ(log.flags, 0x1Cu);
    EXPECT_EQ(log.level, 3);
    UnregisterTraceGuids(registration);

    // Values that are not numbers of their base keep the defaults.
    setenv("TAV_TRACE_FLAGS", "zz", 1);
    setenv("TAV_TRACE_LEVEL", "300", 1);
    ASSERT_EQ(RegisterTraceGuidsW(RecordingCallback, &log, &kControlGuid, 0, nullptr, nullptr, nullptr, &registration),
              ERROR_SUCCESS);
    EXPECT_EQ(log.flags, 0xFFFFFFFFu);
    EXPECT_EQ(log.level, 5);
    UnregisterTraceGuids(registration);
}

TEST_F(TraceFile, LineCarriesTheFieldsTheFlagsAskFor)
{
    TRACEHANDLE logger = 0;
    ASSERT_EQ(StartTraceFileSession(path_.c_str(), 0xFF, 4, &logger), ERROR_SUCCESS);
    RegisterTraceMessageText(kMessageGuid, 10, "module attached");
    const uint32_t value = 0x01020304;
    const char name[] = "ab";
    ASSERT_EQ(TraceMessage(logger, 0x2B, &kMessageGuid, 10, &value, sizeof value, name, size_t{2}, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(TraceMessage(logger, TRACE_MESSAGE_GUID, &kMessageGuid, 12, nullptr), ERROR_SUCCESS);
    RegisterTraceMessageText(kMessageGuid, 10, nullptr);
    StopTraceFileSession(logger);

    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    std::string rest;
    ASSERT_TRUE(SplitStampAndSequence(lines[0], &rest)) << lines[0];
    // Little-endian bytes of the number, then the two characters.
    EXPECT_EQ(rest, "guid={1B2C3D4E-0002-4000-8000-000000000002} msg=10 pid=" + std::to_string(getpid()) +
                        " tid=" + std::to_string(GetCurrentThreadId()) + " \"module attached\" args=04030201,6162");
    EXPECT_EQ(lines[1], "guid={1B2C3D4E-0002-4000-8000-000000000002} msg=12");
}

TEST_F(TraceFile, UnknownLoggerAndNullGuidAreRejected)
{
    EXPECT_EQ(TraceMessage(0x7777777, 0x2B, &kMessageGuid, 1, nullptr), ERROR_INVALID_HANDLE);
    TRACEHANDLE logger = 0;
    ASSERT_EQ(StartTraceFileSession(path_.c_str(), 1, 1, &logger), ERROR_SUCCESS);
    EXPECT_EQ(TraceMessage(logger, 0x2B, nullptr, 1, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetTraceEnableFlags(0x7777777), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetTraceLoggerHandle(nullptr), INVALID_PROCESSTRACE_HANDLE);
    StopTraceFileSession(logger);
    EXPECT_EQ(StopTraceFileSession(logger), ERROR_INVALID_HANDLE);
}

TEST_F(TraceFile, UnwritableFileIsReported)
{
    TRACEHANDLE logger = 0;
    std::string missing = ::testing::TempDir() + "no_such_directory_for_trace/trace.log";
    ASSERT_EQ(StartTraceFileSession(missing.c_str(), 1, 1, &logger), ERROR_SUCCESS);
    EXPECT_EQ(TraceMessage(logger, 0, &kMessageGuid, 1, nullptr), ERROR_PATH_NOT_FOUND);
    StopTraceFileSession(logger);
}

// Many writers, threads of several processes, append to one file: every line
// arrives whole and none is lost.
TEST_F(TraceFile, ThreadsAndProcessesAppendWholeLines)
{
    constexpr int kProcesses = 3;
    constexpr int kThreads = 4;
    constexpr int kMessages = 100;
    auto writeMessages = [this] {
        TRACEHANDLE logger = 0;
        if (StartTraceFileSession(path_.c_str(), 1, 1, &logger) != ERROR_SUCCESS) return false;
        std::vector<std::thread> threads;
        std::atomic<int> failures{0};
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                const char padding[200] = {};
                for (int i = 0; i < kMessages; ++i) {
                    if (TraceMessage(logger, 0x2B, &kMessageGuid, static_cast<USHORT>(i), padding, sizeof padding,
                                     nullptr) != ERROR_SUCCESS)
                        ++failures;
                }
            });
        }
        for (auto& thread : threads) thread.join();
        StopTraceFileSession(logger);
        return failures == 0;
    };

    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses - 1; ++p) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(writeMessages() ? 0 : 1);
        children.push_back(child);
    }
    EXPECT_TRUE(writeMessages());
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(kProcesses * kThreads * kMessages));
    const std::string args = " args=" + std::string(400, '0');
    for (const std::string& line : lines) {
        std::string rest;
        ASSERT_TRUE(SplitStampAndSequence(line, &rest)) << line;
        ASSERT_EQ(rest.rfind("guid={1B2C3D4E-0002-4000-8000-000000000002} msg=", 0), 0u) << line;
        ASSERT_NE(rest.find(" pid="), std::string::npos) << line;
        ASSERT_TRUE(rest.size() > args.size() && rest.compare(rest.size() - args.size(), args.size(), args) == 0)
            << line;
    }
}

}  // namespace
