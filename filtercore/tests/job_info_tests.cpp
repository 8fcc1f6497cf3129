// Reading and writing the private job information, job setting data and
// secret function data, and the divide-condition tracker over page tickets.
#include <gtest/gtest.h>

#include "filtercore/divide_condition_tracker.h"
#include "filtercore/job_settings.h"
#include "filtercore/private_keywords.h"
#include "settings_test_support.h"
#include "testsupport/ticket_markup.h"

namespace {

using namespace settingstest;
using testsupport::TicketMarkup;
using tickettest::Bstr;
using tickettest::LoadDocument;
using tickettest::MakeTicket;

std::string JobInfoData(const std::string& user, const std::string& codePage)
{
    return PropertyGroup("ns0000:JobInfoData", Property("ns0000:DefaultUserName", user) +
                                                   Property("ns0000:ComputerName", "desk7") +
                                                   Property("ns0000:CodePage", codePage, "integer"));
}

std::string JobSettingData(const std::string& members) { return PropertyGroup("ns0000:JobSettingData", members); }

std::string DivideCondition(const std::string& value)
{
    return JobSettingData(Property("ns0000:DivideCondition", value));
}

const std::string kSecretFunctions = PropertyGroup(
    "ns0000:JobSecretFunctionData", Property("ns0000:HalftoneReduction", "On") + Property("ns0000:DraftMode", "Off"));

class JobInfoTest : public TicketTest {};

TEST_F(JobInfoTest, ReadsAllThreeGroups)
{
    std::string setting =
        JobSettingData(Property("ns0000:SeparateTrayMode", "On") + Property("ns0000:DivideCondition", "Department A") +
                       Property("ns0000:BandingPortraitFlag", "1", "integer") +
                       Property("ns0000:BandingPortraitSize", "65535", "integer") +
                       Property("ns0000:BandingLandscapeFlag", "0", "integer") +
                       Property("ns0000:BandingLandscapeSize", "300", "integer"));
    JobInfoSettings settings;
    settings.draftMode = TRUE;
    ASSERT_EQ(ReadJobInfo(Wrap(MakeTicket(JobInfoData("alice", "65001") + setting + kSecretFunctions)), &settings),
              S_OK);
    EXPECT_EQ(Text(settings.defaultUserName.Get()), "alice");
    EXPECT_EQ(Text(settings.computerName.Get()), "desk7");
    EXPECT_EQ(settings.codePage, 65001);
    EXPECT_EQ(settings.separateTrayMode, 1);
    EXPECT_EQ(Text(settings.divideCondition.Get()), "Department A");
    EXPECT_EQ(settings.bandingPortraitFlag, 1);
    EXPECT_EQ(settings.bandingPortraitSize, -1) << "16 bits";
    EXPECT_EQ(settings.bandingLandscapeFlag, 0);
    EXPECT_EQ(settings.bandingLandscapeSize, 300);
    EXPECT_EQ(settings.halftoneReduction, TRUE);
    EXPECT_EQ(settings.draftMode, FALSE);
}

TEST_F(JobInfoTest, AbsentMembersAndGroupsKeepTheirValues)
{
    JobInfoSettings settings;
    settings.divideCondition.Assign(Bstr("kept").Get());
    settings.defaultUserName.Assign(Bstr("kept").Get());
    std::string setting = JobSettingData(Property("ns0000:SeparateTrayMode", "On") +
                                         Property("ns0000:BandingLandscapeSize", "12", "integer"));
    ASSERT_EQ(ReadJobInfo(Wrap(MakeTicket(setting)), &settings), S_OK);
    EXPECT_EQ(settings.separateTrayMode, 1);
    EXPECT_EQ(settings.bandingLandscapeSize, 12);
    EXPECT_EQ(Text(settings.divideCondition.Get()), "kept");
    EXPECT_EQ(Text(settings.defaultUserName.Get()), "kept");
    EXPECT_EQ(settings.codePage, 1252);
}

TEST_F(JobInfoTest, SeparateTrayModeComparesExactlyTheFlagsDoNot)
{
    JobInfoSettings settings;
    std::string body = JobSettingData(Property("ns0000:SeparateTrayMode", "on")) + kSecretFunctions;
    ASSERT_EQ(ReadJobInfo(Wrap(MakeTicket(body)), &settings), S_OK);
    EXPECT_EQ(settings.separateTrayMode, 0);
    EXPECT_EQ(settings.halftoneReduction, TRUE);
}

TEST_F(JobInfoTest, WrittenGroupsReplaceTheOldAndReadBack)
{
    Wrap(MakeTicket(JobInfoData("old", "1") + DivideCondition("old") + kSecretFunctions));
    JobInfoSettings written;
    written.defaultUserName.Assign(Bstr("bob").Get());
    written.computerName.Assign(Bstr("host <1> & \"2\"").Get());
    written.codePage = 65001;
    written.separateTrayMode = 1;
    written.divideCondition.Assign(Bstr("Department B").Get());
    written.bandingPortraitFlag = 1;
    written.bandingPortraitSize = -1;
    written.bandingLandscapeSize = 2048;
    written.halftoneReduction = 5;
    written.draftMode = FALSE;
    ASSERT_EQ(WriteJobInfo(*ticket, written), S_OK);

    std::string stored = Saved();
    TicketMarkup saved(stored);
    ASSERT_TRUE(saved.Parsed());
    for (const char* group : {"JobInfoData", "JobSettingData", "JobSecretFunctionData"}) {
        EXPECT_EQ(saved.Count(std::string("/psf:PrintTicket/psf:Property[@name='ns0000:") + group + "']"), 1) << group;
    }
    const std::string setting = "/psf:PrintTicket/psf:Property[@name='ns0000:JobSettingData']";
    EXPECT_EQ(saved.Text(setting + "/psf:Property[1]/@name"), "ns0000:SeparateTrayMode");
    EXPECT_EQ(saved.Text(setting + "/psf:Property[1]/psf:Value"), "On");
    EXPECT_EQ(saved.Text(setting + "/psf:Property[@name='ns0000:BandingPortraitSize']/psf:Value"), "65535");
    EXPECT_EQ(saved.Text(setting + "/psf:Property[@name='ns0000:BandingPortraitSize']/psf:Value/@xsi:type"),
              "xsd:integer");
    EXPECT_EQ(saved.Text("//psf:Property[@name='ns0000:HalftoneReduction']/psf:Value"), "On");
    EXPECT_EQ(saved.Text("//psf:Property[@name='ns0000:DraftMode']/psf:Value"), "Off");
    EXPECT_EQ(saved.Count("//psf:Property[@name='ns0000:JobInfoData']/psf:Property"), 3);

    JobInfoSettings read;
    ASSERT_EQ(ReadJobInfo(Wrap(stored), &read), S_OK);
    EXPECT_EQ(Text(read.defaultUserName.Get()), "bob");
    EXPECT_EQ(Text(read.computerName.Get()), "host <1> & \"2\"");
    EXPECT_EQ(read.codePage, 65001);
    EXPECT_EQ(read.separateTrayMode, 1);
    EXPECT_EQ(Text(read.divideCondition.Get()), "Department B");
    EXPECT_EQ(read.bandingPortraitFlag, 1);
    EXPECT_EQ(read.bandingPortraitSize, -1);
    EXPECT_EQ(read.bandingLandscapeFlag, 0);
    EXPECT_EQ(read.bandingLandscapeSize, 2048);
    EXPECT_EQ(read.halftoneReduction, TRUE);
    EXPECT_EQ(read.draftMode, FALSE);
}

TEST(JobInfoRecord, CopiesOwnTheirTexts)
{
    JobInfoSettings original;
    original.divideCondition.Assign(Bstr("A").Get());
    JobInfoSettings copy = original;
    EXPECT_NE(copy.divideCondition.Get(), original.divideCondition.Get());
    original.divideCondition.Assign(Bstr("B").Get());
    EXPECT_EQ(Text(copy.divideCondition.Get()), "A");
    EXPECT_EQ(Text(copy.defaultUserName.Get()), "(null)");
}

class DivideConditionTracking : public TicketTest {
protected:
    // Checks one page ticket; the result of Changed().
    bool Page(const std::string& body)
    {
        ComPtr<IXMLDOMDocument2> page = LoadDocument(MakeTicket(body));
        EXPECT_EQ(tracker.Check(page.Get(), TicketLevel::Page), S_OK);
        return tracker.Changed();
    }
    DivideConditionTracker tracker{kPrivateKeywordsNamespace};
};

TEST_F(DivideConditionTracking, FirstPageNeverCountsAndChangesAreSeenOnce)
{
    EXPECT_FALSE(Page(DivideCondition("A")));
    EXPECT_FALSE(Page(DivideCondition("A")));
    EXPECT_TRUE(Page(DivideCondition("B")));
    EXPECT_FALSE(Page(DivideCondition("B")));
    EXPECT_TRUE(Page(DivideCondition("b"))) << "compared character by character";
    EXPECT_TRUE(Page(JobSettingData(Property("ns0000:SeparateTrayMode", "On")))) << "no value differs from b";
    EXPECT_FALSE(Page(""));
    EXPECT_TRUE(Page(DivideCondition("")));
}

TEST_F(DivideConditionTracking, FirstPageWithoutAValueDoesNotCountEither)
{
    EXPECT_FALSE(Page(""));
    EXPECT_TRUE(Page(DivideCondition("A")));
}

TEST_F(DivideConditionTracking, OtherLevelsAreNotRead)
{
    EXPECT_FALSE(Page(DivideCondition("A")));
    EXPECT_TRUE(Page(DivideCondition("B")));
    ComPtr<IXMLDOMDocument2> job = LoadDocument(MakeTicket(DivideCondition("C")));
    EXPECT_EQ(tracker.Check(job.Get(), TicketLevel::Job), S_OK);
    EXPECT_FALSE(tracker.Changed()) << "every check clears the last result";
    EXPECT_EQ(tracker.Check(job.Get(), TicketLevel::Document), S_OK);
    EXPECT_FALSE(Page(DivideCondition("B"))) << "B is still the last page's value";
}

TEST_F(DivideConditionTracking, AFailedReadReportsNoChangeAndKeepsTheLastValue)
{
    EXPECT_FALSE(Page(DivideCondition("A")));
    EXPECT_TRUE(FAILED(tracker.Check(nullptr, TicketLevel::Page)));
    EXPECT_FALSE(tracker.Changed());
    EXPECT_FALSE(Page(DivideCondition("A")));
}

}  // namespace
