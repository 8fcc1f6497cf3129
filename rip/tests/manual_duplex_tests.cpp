// Manual two-sided printing's start on the rip filter's side: the argument
// string and its parsing with the stated length checked, the request
// document, and the file list (its keys, folder and modes, and its removal
// when the job is stopped).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_list.h"
#include "manual_duplex_request.h"
#include "platform/wformat.h"
#include "rip_filter.h"
#include "rip_test_support.h"

namespace {

using tav::rip::ManualDuplexArguments;
using tav::rip::ManualDuplexCall;
using tav::rip::ManualDuplexFileList;
using tav::rip::ManualDuplexRequest;
using tav::rip::ParseManualDuplexArguments;

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

mode_t ModeOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

std::string FreshFolder(const std::string& name)
{
    std::string folder = ::testing::TempDir() + "manual-duplex-" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

TEST(ManualDuplexArguments, ANameWithABlankComesBackWholeAndAStatedLengthIsChecked)
{
    // Nine characters, a blank among them.
    std::optional<std::u16string> arguments = ManualDuplexArguments(u"Duplex Me", u"/var/x y/filelist.ini");
    ASSERT_TRUE(arguments);
    EXPECT_EQ(*arguments, u"9 Duplex Me /var/x y/filelist.ini");
    EXPECT_EQ(ParseManualDuplexArguments(*arguments), (ManualDuplexCall{u"Duplex Me", u"/var/x y/filelist.ini"}));

    // A length that runs past the string, one that leaves no path, one that
    // is not a number, and a name not followed by its blank.
    for (const char16_t* refused : {u"40 Duplex Me /l.ini", u"12 Duplex Me /l", u"-9 Duplex Me /l.ini",
                                    u"9x Duplex Me /l.ini", u"8 Duplex Me /l.ini", u"", u"9"})
        EXPECT_EQ(ParseManualDuplexArguments(refused), std::nullopt) << std::string(refused, refused + 3);

    // Nothing is cut: a list path that would not fit gives no arguments.
    EXPECT_EQ(ManualDuplexArguments(u"p", std::u16string(256, u'a')), std::nullopt);
    EXPECT_TRUE(ManualDuplexArguments(u"p", std::u16string(255, u'a')));
}

TEST(ManualDuplexRequest, NamesTheEntryPointWithTheArgumentsAsItsText)
{
    std::optional<std::u16string> document = ManualDuplexRequest(u"3 a&b /t<1>/l.ini");
    ASSERT_TRUE(document);
    const std::u16string expected =
        u"<?xml version=\"1.0\" ?><asyncPrintUIRequest "
        u"xmlns=\"http://schemas.microsoft.com/2003/print/asyncui/v1/request\" "
        u"xmlns:myco=\"http://schemas.tavprint.example/2026/manual-duplex\"><v1><requestOpen><customUI "
        u"dll=\"TAVRIP.DLL\" entrypoint=\"StartManualDuplex\" bidi=\"false\">3 a&amp;b /t&lt;1&gt;/l.ini</customUI>"
        u"</requestOpen></v1></asyncPrintUIRequest>";
    EXPECT_EQ(*document, expected);
    EXPECT_EQ(ManualDuplexRequest(std::u16string(900, u'a')), std::nullopt);
}

TEST(ManualDuplexFileList, ListsThePathsInArrivalOrderWhereOnlyItsOwnerCanChangeThem)
{
    std::string folder = FreshFolder("list");
    std::filesystem::create_directories(folder + "/pass2");
    ManualDuplexFileList list;
    std::string failure;
    for (const char16_t* path : {u"/pass2/page-2.prn", u"/pass2/page-4.prn", u"/pass2/page-6.prn"}) {
        std::u16string named = Utf8ToWide(folder) + path;
        ASSERT_TRUE(list.Add(named, &failure)) << failure;
    }
    // In a new folder in the first path's folder.
    std::filesystem::path made(list.Path());
    EXPECT_EQ(made.parent_path().parent_path().string(), folder + "/pass2");
    EXPECT_TRUE(made.parent_path().filename().string().starts_with("qz"));
    EXPECT_EQ(ReadText(list.Path()), "[FileList]\n1=" + folder + "/pass2/page-2.prn\n2=" + folder +
                                         "/pass2/page-4.prn\n3=" + folder + "/pass2/page-6.prn\n");
    EXPECT_EQ(ModeOf(list.Path()), 0644u);
    EXPECT_EQ(ModeOf(made.parent_path().string()), 0755u);
    // A path that would start a key of its own is refused.
    EXPECT_FALSE(list.Add(u"/pass2/x\n4=/etc/passwd", &failure));
    EXPECT_EQ(list.Count(), 3u);
    list.Delete();
    EXPECT_FALSE(std::filesystem::exists(made.parent_path()));
}

TEST(ManualDuplexFileList, AFirstPathWithoutAFolderPutsTheListInTheTemporaryFolder)
{
    std::string temporary = FreshFolder("temporary");
    const char* before = std::getenv("TMPDIR");
    std::string saved = before != nullptr ? before : "";
    setenv("TMPDIR", temporary.c_str(), 1);
    ManualDuplexFileList list;
    std::string failure;
    EXPECT_TRUE(list.Add(u"page-2.prn", &failure)) << failure;
    EXPECT_EQ(std::filesystem::path(list.Path()).parent_path().parent_path().string(), temporary);
    if (before != nullptr)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    list.Delete();
}

class ManualDuplexFilterTest : public ::testing::Test {
protected:
    void SetUp() override { riptest::UseRecordingConverter(); }
};

// Type-1 records as a converter writes them: UTF-16 paths with their
// terminators, all in one buffer.
std::vector<BYTE> PathRecords(const std::vector<std::u16string>& paths)
{
    std::vector<BYTE> bytes;
    for (const std::u16string& path : paths) {
        uint32_t header[2] = {1, static_cast<uint32_t>((path.size() + 1) * 2)};
        bytes.insert(bytes.end(), reinterpret_cast<BYTE*>(header), reinterpret_cast<BYTE*>(header) + 8);
        for (char16_t unit : path + u'\0') {
            bytes.push_back(static_cast<BYTE>(unit & 0xFF));
            bytes.push_back(static_cast<BYTE>(unit >> 8));
        }
    }
    return bytes;
}

TEST_F(ManualDuplexFilterTest, AStoppedJobDeletesItsFileList)
{
    std::string folder = FreshFolder("stopped");
    std::u16string base = Utf8ToWide(folder);
    auto filter = ComPtr<RipFilter>::Adopt(new RipFilter());
    auto control = ComPtr<riptest::RipControl>::Adopt(new riptest::RipControl);
    auto communicator =
        ComPtr<testsupport::TestCommunicator>::Adopt(new testsupport::TestCommunicator(nullptr, nullptr));
    ASSERT_EQ(filter->InitializeFilter(communicator.Get(), riptest::RipPropertyBag().Get(), control.Get()), S_OK);
    std::vector<BYTE> records = PathRecords({base + u"/b.prn", base + u"/a.prn", base + u"/c.prn"});
    ASSERT_EQ(RipFilter::WriteCallback(records.data(), static_cast<uint32_t>(records.size()), filter.Get()), S_OK);
    std::string list = filter->FileList().Path();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(ReadText(list), "[FileList]\n1=" + folder + "/b.prn\n2=" + folder + "/a.prn\n3=" + folder + "/c.prn\n");

    filter->ShutdownOperation();
    EXPECT_EQ(filter->OnJobEnd(), S_OK);
    EXPECT_FALSE(std::filesystem::exists(list));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(list).parent_path()));
}

}  // namespace
