// Whole jobs through chains of the tests' own filter module: the output a
// pass-through chain writes, filters that add or drop pages, and jobs that
// fail in a filter or in the package, which must leave no output behind.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "chain/filter_chain.h"
#include "job/job.h"
#include "job/spooler_job.h"
#include "platform/base.h"
#include "platform/library.h"
#include "support/package_description.h"
#include "support/test_package.h"

namespace tav::host {
namespace {

using testing::FileExists;
using testing::TemporaryFolder;

std::string ConfigFile()
{
    static const std::string path = [] {
        std::string module = testing::BuildFolder() + "/lib/libtavtestfilters.so";
        std::string file = TemporaryFolder() + "/test-pipeline.conf";
        std::ofstream out(file);
        out << "[pipeline]\nchain = pass\n";
        const char* filters[][2] = {
            {"pass", "0001-4000-8000-000000000001"},      {"pass2", "0001-4000-8000-000000000001"},
            {"failstart", "0002-4000-8000-000000000002"}, {"faillater", "0003-4000-8000-000000000003"},
            {"addpage", "0004-4000-8000-000000000004"},   {"droppages", "0005-4000-8000-000000000005"},
            {"stopearly", "0006-4000-8000-000000000006"}, {"spooler", "0007-4000-8000-000000000007"},
            {"stream", "0008-4000-8000-000000000008"}};
        for (auto& [name, clsid] : filters) {
            out << "[" << name << "]\nmodule = " << module << "\nclsid = {7E57F117-" << clsid << "}\n";
        }
        out << "output = stream\n";  // of the last one, stream
        return file;
    }();
    return path;
}

std::string UserTicket()
{
    std::string path = TemporaryFolder() + "/user-ticket.xml";
    std::ofstream(path) << testing::SimpleTicket(1);
    return path;
}

struct Job {
    JobRequest request;
    std::string log;

    Job(const std::string& input, const std::string& name, std::vector<std::string> filters)
    {
        request.input = input;
        request.output = TemporaryFolder() + "/" + name;
        request.filters = std::move(filters);
        request.configFile = ConfigFile();
        request.userTicketFile = UserTicket();
        log = TemporaryFolder() + "/" + name + ".log";
        std::remove(log.c_str());
        std::remove(request.output.c_str());
        request.properties.push_back({"TestLog", log});
    }
    JobOutcome Run() { return RunJob(request); }
    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    bool Logged(const std::string& line) const
    {
        std::vector<std::string> lines = LogLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // No output, and no temporary file left beside it either.
    bool NothingWritten() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(TemporaryFolder())) {
            std::string name = entry.path().filename().string();
            std::string output = request.output.substr(request.output.rfind('/') + 1);
            if (name == output || name.rfind("." + output + ".tavpipe-", 0) == 0) return false;
        }
        return true;
    }
};

std::string Package(const std::string& name, const testing::TestPackage& package)
{
    std::string path = TemporaryFolder() + "/" + name;
    testing::WritePackage(path, package);
    return path;
}

testing::TestPackage ThreePagesWithTickets()
{
    testing::TestPackage package = testing::PagesOfSize(3);
    package.jobTicket = testing::SimpleTicket(2);
    package.documents[0].pages[1].ticket = testing::SimpleTicket(5);
    package.resources.push_back({"/Resources/r.png", "image/png", "not really a png"});
    package.documents[0].pages[0].resources = {"/Resources/r.png"};
    return package;
}

TEST(ChainTest, PassThroughChainWritesTheSameJob)
{
    std::string input = Package("three.xps", ThreePagesWithTickets());
    Job job(input, "three-out.xps", {"pass", "pass2"});
    JobOutcome outcome = job.Run();
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.message;
    EXPECT_EQ(testing::DescribePackage(job.request.output), testing::DescribePackage(input));
    std::vector<std::string> lines = job.LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "pass ended 0"), 2);
}

TEST(ChainTest, AFilterWritingThePrinterStreamLastWritesTheOutputAndCountsItsPages)
{
    std::string input = Package("stream.xps", ThreePagesWithTickets());
    Job job(input, "stream-out.prn", {"pass", "stream"});
    std::atomic<int> pages{0};
    job.request.onPage = [&pages] { ++pages; };
    JobOutcome outcome = job.Run();
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.message;
    EXPECT_EQ(testing::ReadFile(job.request.output), "page 1\npage 2\npage 3\n");
    EXPECT_EQ(pages, 3);

    // A failed job leaves no stream behind either.
    Job failed(input, "stream-failed.prn", {"failstart", "stream"});
    EXPECT_EQ(failed.Run().status, kExitJobFailed);
    EXPECT_TRUE(failed.NothingWritten());
}

TEST(ChainTest, FilterAddingAPageWithTicketAndResources)
{
    std::string input = Package("add.xps", ThreePagesWithTickets());
    Job job(input, "add-out.xps", {"addpage", "pass"});
    ASSERT_EQ(job.Run().status, kExitSuccess);
    std::vector<std::string> lines = testing::DescribePackage(job.request.output);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[5].substr(0, lines[5].find(" resource")),
              "/Added/added_page.fpage ticket /Added/added_ticket.xml [<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
              "<psf:PrintTicket version=\"1\" "
              "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\"/>]");
    EXPECT_NE(lines[5].find("resource /Resources/r.png image/png 16"), std::string::npos);
    // The rewritten pages arrive with the same markup.
    std::vector<std::string> original = testing::DescribePackage(input);
    for (size_t i = 0; i < original.size(); ++i) EXPECT_EQ(lines[i], original[i]);
}

std::string UtcDate(time_t when)
{
    tm fields{};
    gmtime_r(&when, &fields);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &fields);
    return date;
}

TEST(ChainTest, FiltersFindTheJobAndTheDriverInTheSpooler)
{
    std::string input = Package("spooled.xps", ThreePagesWithTickets());
    Job job(input, "spooled-out.xps", {"spooler"});
    job.request.user = "alice";
    job.request.jobId = 9;
    time_t before = std::time(nullptr);
    ASSERT_EQ(job.Run().status, kExitSuccess);
    time_t after = std::time(nullptr);
    std::vector<std::string> lines = job.LogLines();
    bool dated = job.Logged("spooler job spooled.xps|alice|" + UtcDate(before)) ||
                 job.Logged("spooler job spooled.xps|alice|" + UtcDate(after));
    EXPECT_TRUE(dated) << ::testing::PrintToString(lines);
    EXPECT_TRUE(job.Logged("spooler config " + ModuleFolder() + "/libtavprep.so"));
    EXPECT_TRUE(job.Logged("spooler month March")) << ::testing::PrintToString(lines);

    // The record lives as long as the job.
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u"tavprint"), &printer, nullptr));
    DWORD needed = 0;
    EXPECT_FALSE(GetJobW(printer, 9, 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    ClosePrinter(printer);

    Job titled(input, "titled-out.xps", {"spooler"});
    titled.request.title = "Quarterly report";
    ASSERT_EQ(titled.Run().status, kExitSuccess);
    std::vector<std::string> titledLines = titled.LogLines();
    std::string prefix = "spooler job Quarterly report|" + JobOwnerName("") + "|";
    EXPECT_TRUE(std::any_of(titledLines.begin(), titledLines.end(), [&](const std::string& line) {
        return line.rfind(prefix, 0) == 0;
    })) << ::testing::PrintToString(titledLines);
}

TEST(ChainTest, JobOwnerAndDocumentNames)
{
    EXPECT_EQ(JobOwnerName("bob"), "bob");
    EXPECT_FALSE(JobOwnerName("").empty());
    EXPECT_EQ(JobDocumentName("Title", "/a/b/c.xps"), "Title");
    EXPECT_EQ(JobDocumentName("", "/a/b/c.xps"), "c.xps");
    EXPECT_EQ(JobDocumentName("", "c.xps"), "c.xps");
    EXPECT_EQ(JobDocumentName("", "-"), "standard input");
}

TEST(ChainTest, FilterFailingAtStartStopsEveryFilterAndLeavesNoOutput)
{
    std::string input = Package("fail.xps", ThreePagesWithTickets());
    Job job(input, "fail-out.xps", {"pass", "failstart", "addpage"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitJobFailed);
    EXPECT_NE(outcome.message.find("filter failstart stopped the job (0x80004005)"), std::string::npos)
        << outcome.message;
    EXPECT_EQ(outcome.message.rfind(input + ": ", 0), 0u) << outcome.message;
    for (const char* filter : {"pass", "failstart", "addpage"}) {
        EXPECT_TRUE(job.Logged(std::string(filter) + " shutdown")) << filter;
    }
    EXPECT_TRUE(job.NothingWritten());
}

TEST(ChainTest, ShutdownReachesAFilterBlockedOnItsProvider)
{
    // pass waits on its provider while faillater holds the first part.
    std::string input = Package("blocked.xps", ThreePagesWithTickets());
    Job job(input, "blocked-out.xps", {"faillater", "pass"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitJobFailed);
    EXPECT_NE(outcome.message.find("filter faillater stopped the job"), std::string::npos) << outcome.message;
    EXPECT_TRUE(job.Logged("pass shutdown"));
    EXPECT_TRUE(job.Logged("pass ended 0"));
    EXPECT_TRUE(job.NothingWritten());
}

TEST(ChainTest, AChainThatDropsEveryPageFails)
{
    std::string input = Package("drop.xps", testing::PagesOfSize(2));
    Job job(input, "drop-out.xps", {"droppages"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitJobFailed);
    EXPECT_NE(outcome.message.find("no page reached the output"), std::string::npos) << outcome.message;
    EXPECT_TRUE(job.NothingWritten());
}

TEST(ChainTest, AFilterThatStopsReadingEarlyFailsTheJobInsteadOfHanging)
{
    // Twenty pages overflow the queue before stopearly's end; pass would
    // wait on it for good if the host did not stop the chain.
    std::string input = Package("early.xps", testing::PagesOfSize(20));
    Job job(input, "early-out.xps", {"pass", "stopearly"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitJobFailed);
    EXPECT_NE(outcome.message.find("filter stopearly ended before reading all of its input"), std::string::npos)
        << outcome.message;
    EXPECT_TRUE(job.Logged("pass shutdown"));
    EXPECT_TRUE(job.NothingWritten());

    // The first filter stopping early would otherwise end a job with only
    // its first pages.
    Job first(input, "early-first-out.xps", {"stopearly", "pass"});
    outcome = first.Run();
    EXPECT_EQ(outcome.status, kExitJobFailed);
    EXPECT_NE(outcome.message.find("filter stopearly ended before reading all of its input"), std::string::npos)
        << outcome.message;
    EXPECT_TRUE(first.NothingWritten());
}

TEST(ChainTest, PackageFaultInTheMiddleOfTheJob)
{
    auto entries = testing::PackageEntries(testing::PagesOfSize(3));
    std::erase_if(entries, [](const auto& entry) { return entry.first == "Documents/1/Pages/3.fpage"; });
    std::string input = TemporaryFolder() + "/missing3.xps";
    testing::WriteZip(input, entries);
    Job job(input, "missing3-out.xps", {"pass", "pass2"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitBadInput);
    EXPECT_EQ(outcome.message, input + ": /Documents/1/Pages/3.fpage: the FixedPage is missing from the package");
    EXPECT_TRUE(job.NothingWritten());
}

TEST(ChainTest, AFilterFailureBeforeAPackageFaultIsWhatTheJobReports)
{
    // The package is read ahead of the filter, and so is the missing page;
    // faillater fails on the first part, before it could have met it.
    auto entries = testing::PackageEntries(testing::PagesOfSize(3));
    std::erase_if(entries, [](const auto& entry) { return entry.first == "Documents/1/Pages/3.fpage"; });
    std::string input = TemporaryFolder() + "/missing3-late.xps";
    testing::WriteZip(input, entries);
    Job job(input, "missing3-late-out.xps", {"faillater"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitJobFailed);
    EXPECT_NE(outcome.message.find("filter faillater stopped the job"), std::string::npos) << outcome.message;
    EXPECT_TRUE(job.NothingWritten());
}

TEST(ChainTest, APartTheWriterCannotCopyFailsTheJob)
{
    // The resource is read by nobody before the writer, which copies it as
    // stored on its own thread and finds its CRC-32 wrong on the way.
    std::string input = Package("badcrc-chain.xps", ThreePagesWithTickets());
    testing::PatchDeclaredCrc(input, "Resources/r.png", 0x12345678);
    Job job(input, "badcrc-chain-out.xps", {"pass", "pass2"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitBadInput);
    EXPECT_EQ(outcome.message.rfind(input + ": /Resources/r.png: ", 0), 0u) << outcome.message;
    EXPECT_NE(outcome.message.find("CRC"), std::string::npos) << outcome.message;
    EXPECT_TRUE(job.NothingWritten());
}

TEST(ChainTest, BadInputStopsBeforeAnyFilterRuns)
{
    std::string input = TemporaryFolder() + "/empty.xps";
    std::ofstream(input) << "";
    Job job(input, "empty-out.xps", {"pass"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitBadInput);
    EXPECT_EQ(outcome.message, input + ": not a zip archive (or a truncated one)");
    EXPECT_TRUE(job.LogLines().empty());
    EXPECT_TRUE(job.NothingWritten());
}

TEST(ChainTest, AWarningGivenOnEveryPageIsKeptOnce)
{
    FilterChain chain({}, std::make_shared<FailureLog>());
    chain.ReportWarning("", "the image x.png cannot be loaded");
    chain.ReportWarning("/Pages/2.fpage", "no room");
    chain.ReportWarning("", "the image x.png cannot be loaded");
    EXPECT_EQ(chain.Warnings(),
              (std::vector<std::string>{"the image x.png cannot be loaded", "/Pages/2.fpage: no room"}));
}

TEST(ChainTest, MissingModuleAndUnknownFilter)
{
    std::string input = Package("module.xps", testing::PagesOfSize(1));
    Job job(input, "module-out.xps", {"nosuch"});
    JobOutcome outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_NE(outcome.message.find("unknown filter \"nosuch\""), std::string::npos) << outcome.message;

    std::string config = TemporaryFolder() + "/missing-module.conf";
    std::ofstream(config)
        << "[gone]\nmodule = /nonexistent/libgone.so\nclsid = {7E57F117-0001-4000-8000-000000000001}\n";
    job.request.configFile = config;
    job.request.filters = {"gone"};
    outcome = job.Run();
    EXPECT_EQ(outcome.status, kExitJobFailed);
    EXPECT_EQ(outcome.message, "the gone filter is not installed: there is no module /nonexistent/libgone.so");
    EXPECT_TRUE(job.NothingWritten());
}

}  // namespace
}  // namespace tav::host

namespace tav::host {
namespace {

TEST(ChainTest, TwoThousandPagesArriveInOrder)
{
    testing::TestPackage package = testing::PagesOfSize(2000, 100, 100);
    std::string input = Package("many.xps", package);
    Job job(input, "many-out.xps", {"pass", "pass2"});
    JobOutcome outcome = job.Run();
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.message;
    std::vector<std::string> lines = testing::DescribePackage(job.request.output);
    ASSERT_EQ(lines.size(), 2002u);
    for (int page = 1; page <= 2000; ++page) {
        const std::string& line = lines[static_cast<size_t>(page) + 1];
        EXPECT_EQ(line.substr(0, line.find(' ')), "/Documents/1/Pages/" + std::to_string(page) + ".fpage");
    }
}

}  // namespace
}  // namespace tav::host
