// Writing a finished spool over a file in place: the old file survives
// anything that stops the copy from fitting.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "spool_copy.h"
#include "zip_test_support.h"

namespace tav::zip {
namespace {

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(SpoolCopyTest, ALongerOldFileEndsWhereTheNewContentEnds)
{
    testing::TemporaryFolder folder;
    WriteFile(folder.File("spool"), "new content");
    WriteFile(folder.File("target"), std::string(100000, 'o'));
    int spool = open(folder.File("spool").c_str(), O_RDONLY);
    int target = open(folder.File("target").c_str(), O_WRONLY);
    CopySpoolToTarget(spool, target, true);
    close(spool);
    close(target);
    EXPECT_EQ(testing::ReadFile(folder.File("target")), "new content");
}

// A size limit stands in for a full disk: both refuse the bytes past it.
TEST(SpoolCopyTest, ContentThatDoesNotFitLeavesTheOldFileWhole)
{
    testing::TemporaryFolder folder;
    const std::string old(3000, 'o');
    WriteFile(folder.File("spool"), std::string(20000, 'n'));
    WriteFile(folder.File("target"), old);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            8192, 8192
        };
        setrlimit(RLIMIT_FSIZE, &limit);
        int spool = open(folder.File("spool").c_str(), O_RDONLY);
        int target = open(folder.File("target").c_str(), O_WRONLY);
        try {
            CopySpoolToTarget(spool, target, true);
        } catch (const std::runtime_error&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the copy did not report the failure";
    EXPECT_EQ(testing::ReadFile(folder.File("target")), old);
}

}  // namespace
}  // namespace tav::zip
