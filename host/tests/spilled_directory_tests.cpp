// The output's zip directory, kept in a spill buffer: an archive of many
// parts, whose directory goes to a temporary file on its way, reads back
// with libzip.
#include <gtest/gtest.h>

#include <fcntl.h>

#include "package/spilled_directory.h"
#include "support/test_package.h"
#include "tavzip/zip_writer.h"

namespace tav::host {
namespace {

TEST(SpilledDirectoryTest, ADirectoryBeyondTheMemoryLimitIsWrittenWhole)
{
    std::string path = testing::TemporaryFolder() + "/many.zip";
    // Records of 46 bytes and the name, "e0" to "e24999": 1,288,890 bytes of
    // directory, past the 1 MiB a spill buffer keeps in memory.
    const int count = 25000;
    {
        zip::ZipWriter zip(open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0644), zip::DosTimeNow(),
                           SpilledDirectory());
        for (int i = 0; i < count; ++i) {
            zip.BeginEntry("e" + std::to_string(i), zip::ZipWriter::kStored);
            zip.Write("x", 1);
            zip.EndEntry();
        }
        zip.Finish();
    }
    std::vector<std::string> names = testing::ZipItemNames(path);
    ASSERT_EQ(names.size(), static_cast<size_t>(count));
    EXPECT_EQ(names[12345], "e12345");
    EXPECT_EQ(names.back(), "e24999");
    EXPECT_EQ(testing::ZipItem(path, "e24999"), "x");
}

}  // namespace
}  // namespace tav::host
