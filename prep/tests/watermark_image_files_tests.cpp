// What the job remembers about its watermark image files: one part name per
// file that no other file or later try shares, and a failure kept while
// the file stays as it was, told once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "image_test_files.h"
#include "watermark_image_files.h"

namespace {

TEST(WatermarkImageFilesTest, EachFileKeepsOnePartNameThatNoOtherFileOrLaterTryShares)
{
    WatermarkImageFiles files;
    std::u16string first = files.PartNameFor(u"/a/logo.png", 1000);
    EXPECT_EQ(first, u"/WM_logo.png_1000.png");
    // Later pages, later ticks: the same name.
    EXPECT_EQ(files.PartNameFor(u"/a/logo.png", 2000), first);
    // Another file of the same base name in the same tick.
    EXPECT_EQ(files.PartNameFor(u"/b/logo.png", 1000), u"/WM_logo.png_1001.png");
    // A part that could not be written leaves its name taken.
    files.DropPartName(u"/a/logo.png");
    EXPECT_EQ(files.PartNameFor(u"/a/logo.png", 1000), u"/WM_logo.png_1002.png");
}

TEST(WatermarkImageFilesTest, AFailureIsKeptWhileTheFileIsUnchangedAndToldOnce)
{
    imagetest::ScratchFile damaged("\x89PNG broken", "broken.png");
    WatermarkImageFiles files;
    EXPECT_EQ(files.KnownFailure(damaged.path()), nullptr);
    files.RememberFailure(damaged.path(), ImageLoadFailure{E_FAIL, "not a PNG"});
    ASSERT_NE(files.KnownFailure(damaged.path()), nullptr);
    EXPECT_EQ(files.KnownFailure(damaged.path())->result, E_FAIL);

    std::vector<std::u16string> warnings = files.TakeWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(damaged.path()), std::u16string::npos);
    EXPECT_NE(warnings[0].find(u"not a PNG"), std::u16string::npos);
    // A second failure of the same file says nothing new.
    files.RememberFailure(damaged.path(), ImageLoadFailure{E_FAIL, "not a PNG"});
    EXPECT_TRUE(files.TakeWarnings().empty());

    // A file written anew is tried again.
    std::filesystem::path path(std::string(damaged.directory()) + "/broken.png");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "\x89PNG broken, and longer now";
    EXPECT_EQ(files.KnownFailure(damaged.path()), nullptr);
}

}  // namespace
