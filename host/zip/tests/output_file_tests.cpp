// The output file: nothing under the target's name until it is committed.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tavzip/output_file.h"
#include "zip_test_support.h"

namespace tav::zip {
namespace {

void WriteText(int fd, const std::string& text)
{
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
}

TEST(OutputFileTest, ACommittedFileTakesTheTargetNameWithTheUsualMode)
{
    testing::TemporaryFolder folder;
    mode_t saved = umask(027);
    {
        OutputFile output(folder.File("job.zip"), "tavzip-test");
        WriteText(output.TakeDescriptor(), "done");
        output.Commit();
    }
    umask(saved);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"job.zip"});
    EXPECT_EQ(testing::ReadFile(folder.File("job.zip")), "done");
    struct stat info;
    ASSERT_EQ(stat(folder.File("job.zip").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(OutputFileTest, AnUncommittedFileLeavesThePreviousOutputAlone)
{
    testing::TemporaryFolder folder;
    std::ofstream(folder.File("job.zip")) << "previous";
    {
        OutputFile output(folder.File("job.zip"), "tavzip-test");
        int fd = output.TakeDescriptor();
        // While it is written, the temporary file says who writes it.
        std::vector<std::string> names = folder.Names();
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[0].rfind(".job.zip.tavzip-test-", 0), 0u) << names[0];
        WriteText(fd, "half");
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"job.zip"});
    EXPECT_EQ(testing::ReadFile(folder.File("job.zip")), "previous");
}

TEST(OutputFileTest, AMissingFolderOrAFolderNameIsRefused)
{
    testing::TemporaryFolder folder;
    EXPECT_THROW(OutputFile(folder.File("absent/job.zip"), "t"), std::runtime_error);
    EXPECT_THROW(OutputFile(folder.Path() + "/", "t"), std::runtime_error);
    EXPECT_TRUE(folder.Names().empty());
}

}  // namespace
}  // namespace tav::zip
