// The module's event-trace provider: its control callback and the attach and
// detach messages written to the trace file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "filtercore/module_trace.h"

namespace {

using tav::filtercore::ModuleTrace;
using tav::filtercore::TraceControlCallback;
using tav::filtercore::TraceControlRecord;

constexpr GUID kControlGuid = {0x5A1E0001, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
constexpr GUID kMessageGuid = {0x5A1E0002, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x67}};

class ModuleTraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = ::testing::TempDir() + "module_trace_" + std::to_string(getpid()) + ".log";
        std::remove(path_.c_str());
        unsetenv("TAV_TRACE");
        unsetenv("TAV_TRACE_FLAGS");
        unsetenv("TAV_TRACE_LEVEL");
    }
    void TearDown() override
    {
        std::remove(path_.c_str());
        unsetenv("TAV_TRACE");
        unsetenv("TAV_TRACE_FLAGS");
    }

    std::vector<std::string> Lines() const
    {
        std::ifstream in(path_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    std::string path_;
};

TEST_F(ModuleTraceTest, EnableStoresTheSessionAndDisableClearsIt)
{
    TRACEHANDLE logger = 0;
    ASSERT_EQ(StartTraceFileSession(path_.c_str(), 0x0C, 4, &logger), ERROR_SUCCESS);
    TraceControlRecord record;
    WNODE_HEADER header{};
    header.HistoricalContext = logger;
    ULONG size = sizeof header;

    EXPECT_EQ(TraceControlCallback(WMI_ENABLE_EVENTS, &record, &size, &header), ERROR_SUCCESS);
    EXPECT_EQ(record.logger.load(), logger);
    EXPECT_EQ(record.flags.load(), 0x0Cu);
    EXPECT_EQ(record.level.load(), 4);

    EXPECT_EQ(TraceControlCallback(WMI_DISABLE_EVENTS, &record, &size, &header), ERROR_SUCCESS);
    EXPECT_EQ(record.logger.load(), 0u);
    EXPECT_EQ(record.flags.load(), 0u);
    EXPECT_EQ(record.level.load(), 0);
    StopTraceFileSession(logger);
}

TEST_F(ModuleTraceTest, OtherRequestsAreRefusedAndChangeNothing)
{
    TRACEHANDLE logger = 0;
    ASSERT_EQ(StartTraceFileSession(path_.c_str(), 0xFF, 5, &logger), ERROR_SUCCESS);
    TraceControlRecord record;
    WNODE_HEADER header{};
    header.HistoricalContext = logger;
    ULONG size = sizeof header;
    ASSERT_EQ(TraceControlCallback(WMI_ENABLE_EVENTS, &record, &size, &header), ERROR_SUCCESS);

    WNODE_HEADER other{};
    other.HistoricalContext = 0x999;
    for (WMIDPREQUESTCODE code : {WMI_DISABLE_COLLECTION, WMI_GET_ALL_DATA, WMI_ENABLE_COLLECTION}) {
        EXPECT_EQ(TraceControlCallback(code, &record, &size, &other), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(record.logger.load(), logger);
        EXPECT_EQ(record.flags.load(), 0xFFu);
        EXPECT_EQ(record.level.load(), 5);
    }
    EXPECT_EQ(TraceControlCallback(static_cast<WMIDPREQUESTCODE>(7), &record, &size, &other), 87u);
    StopTraceFileSession(logger);
}

TEST_F(ModuleTraceTest, AttachAndDetachWriteMessagesTenAndEleven)
{
    setenv("TAV_TRACE", path_.c_str(), 1);
    ModuleTrace trace(kControlGuid, kMessageGuid, "tavtest");
    trace.Attach();
    EXPECT_NE(trace.Record().registration.load(), 0u);
    EXPECT_EQ(trace.Record().flags.load(), 0xFFFFFFFFu);
    trace.Detach();
    EXPECT_EQ(trace.Record().registration.load(), 0u);
    EXPECT_EQ(trace.Record().logger.load(), 0u);

    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    const std::string guid = "guid={5A1E0002-1111-4222-8333-444455556667}";
    const std::string system = "pid=" + std::to_string(getpid());
    EXPECT_NE(lines[0].find(guid + " msg=10 " + system), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("\"tavtest attached\""), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" seq="), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(guid + " msg=11 " + system), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("\"tavtest detached\""), std::string::npos) << lines[1];
}

TEST_F(ModuleTraceTest, NoMessagesWithoutTheModuleEventFlag)
{
    setenv("TAV_TRACE", path_.c_str(), 1);
    setenv("TAV_TRACE_FLAGS", "3", 1);
    ModuleTrace trace(kControlGuid, kMessageGuid, "tavtest");
    trace.Attach();
    EXPECT_EQ(trace.Record().flags.load(), 3u);
    trace.Detach();
    EXPECT_TRUE(Lines().empty());
}

TEST_F(ModuleTraceTest, NoSessionMeansRegisteredButSilent)
{
    ModuleTrace trace(kControlGuid, kMessageGuid, "tavtest");
    trace.Attach();
    EXPECT_NE(trace.Record().registration.load(), 0u);
    EXPECT_EQ(trace.Record().logger.load(), 0u);
    trace.Detach();
    EXPECT_TRUE(Lines().empty());
}

}  // namespace
