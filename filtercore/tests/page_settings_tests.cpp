// Reading and writing the mirror and reverse image settings, and reading the
// poster settings.
#include <gtest/gtest.h>

#include "filtercore/job_settings.h"
#include "settings_test_support.h"
#include "testsupport/ticket_markup.h"

namespace {

using namespace settingstest;
using testsupport::TicketMarkup;
using tickettest::MakeTicket;

std::string Mirror(const std::string& option) { return Feature("psk:PageMirrorImage", Option(option)); }
std::string Reverse(const std::string& option) { return Feature("ns0000:PageReverseImage", Option(option)); }

class MirrorSettingsTest : public TicketTest {
protected:
    MirrorSettings Read(const std::string& body, MirrorSettings settings = {})
    {
        EXPECT_EQ(ReadMirror(Wrap(MakeTicket(body)), &settings), S_OK);
        return settings;
    }
};

TEST_F(MirrorSettingsTest, ReadsBothOptions)
{
    MirrorSettings settings = Read(Mirror("psk:MirrorImageHeight") + Reverse("ns0000:On"));
    EXPECT_EQ(settings.mirror, 1);
    EXPECT_EQ(settings.reverse, 1);
    EXPECT_EQ(Read(Mirror("psk:MirrorImageWidth")).mirror, 0);
    EXPECT_EQ(Read(Mirror("psk:None"), {0, 1}).mirror, 2);
    EXPECT_EQ(Read(Reverse("ns0000:Off"), {0, 1}).reverse, 0);
}

TEST_F(MirrorSettingsTest, NamesCompareExactlyAndReverseMustBePrivate)
{
    EXPECT_EQ(Read(Mirror("psk:mirrorimagewidth")).mirror, 2);
    EXPECT_EQ(Read(Reverse("psk:On")).reverse, 0) << "a keywords option is not the driver's";
    EXPECT_EQ(Read(Reverse("ns0000:on")).reverse, 0);
    MirrorSettings absent = Read(Feature("psk:PageOrientation", Option("psk:Portrait")), {1, 1});
    EXPECT_EQ(absent.mirror, 1);
    EXPECT_EQ(absent.reverse, 1);
}

TEST_F(MirrorSettingsTest, WrittenSettingsReplaceTheOldAndReadBack)
{
    Wrap(MakeTicket(Mirror("psk:MirrorImageWidth") + Reverse("ns0000:Off") + Mirror("psk:None")));
    ASSERT_EQ(WriteMirror(*ticket, {1, 1}), S_OK);

    std::string stored = Saved();
    TicketMarkup saved(stored);
    EXPECT_EQ(saved.Count("//psf:Feature[@name='psk:PageMirrorImage']"), 1);
    EXPECT_EQ(saved.Text("//psf:Feature[@name='psk:PageMirrorImage']/psf:Option/@name"), "psk:MirrorImageHeight");
    EXPECT_EQ(saved.Count("//psf:Feature[@name='ns0000:PageReverseImage']"), 1);
    EXPECT_EQ(saved.Text("//psf:Feature[@name='ns0000:PageReverseImage']/psf:Option/@name"), "ns0000:On");

    MirrorSettings read;
    ASSERT_EQ(ReadMirror(Wrap(stored), &read), S_OK);
    EXPECT_EQ(read.mirror, 1);
    EXPECT_EQ(read.reverse, 1);
}

TEST_F(MirrorSettingsTest, MirrorOutsideTheTableIsRefused)
{
    Wrap(MakeTicket(""));
    EXPECT_EQ(WriteMirror(*ticket, {3, 0}), E_INVALIDARG);
}

std::string Poster(const std::string& sheets, const std::string& cutOutLine = "")
{
    std::string nested = cutOutLine.empty() ? "" : Feature("ns0000:PagePrintCutOutLine", Option(cutOutLine));
    return Feature("psk:PagePoster", Option("", Scored("psk:SheetsPerPage", sheets)) + nested);
}

class PosterSettingsTest : public TicketTest {
protected:
    PosterSettings Read(const std::string& body, PosterSettings settings = {7, 7, 7})
    {
        EXPECT_EQ(ReadPoster(Wrap(MakeTicket(body)), &settings), S_OK);
        return settings;
    }
};

TEST_F(PosterSettingsTest, ReadsSheetsCutOutLineAndHideFlag)
{
    PosterSettings settings = Read(Poster("9", "ns0000:On") +
                                   PropertyGroup("ns0000:PagePosterData", Property("ns0000:HideFlag", "1", "integer")));
    EXPECT_EQ(settings.sheetsPerPage, 9);
    EXPECT_EQ(settings.printCutOutLine, 1);
    EXPECT_EQ(settings.hideFlag, 1);
    EXPECT_EQ(Read(Poster("4", "ns0000:Off")).printCutOutLine, 0);
}

TEST_F(PosterSettingsTest, NegativeSheetsCountAsNone) { EXPECT_EQ(Read(Poster("-3")).sheetsPerPage, 0); }

TEST_F(PosterSettingsTest, WithoutTheFeatureThereIsNoPoster)
{
    PosterSettings settings = Read(Feature("psk:PageOrientation", Option("psk:Portrait")));
    EXPECT_EQ(settings.sheetsPerPage, 0);
    EXPECT_EQ(settings.printCutOutLine, 7);
    EXPECT_EQ(settings.hideFlag, 7);
}

}  // namespace
