// The page geometry record, its reading from merged tickets (real and
// hand-made) and its writing back, checked in the written markup by
// namespace URI and by reading it again.
#include <gtest/gtest.h>

#include "filtercore/page_geometry.h"
#include "settings_test_support.h"
#include "testsupport/ticket_markup.h"

namespace {

using namespace settingstest;
using testsupport::TicketMarkup;
using tickettest::Bstr;
using tickettest::MakeTicket;

const std::string kA4 = Feature("psk:PageMediaSize", Option("psk:ISOA4", Scored("psk:MediaSizeWidth", "210000") +
                                                                             Scored("psk:MediaSizeHeight", "297000")));
const std::string kPortrait = Feature("psk:PageOrientation", Option("psk:Portrait"));

std::string MediaSizeData(const std::string& unit, const std::string& paperTemp)
{
    return PropertyGroup(
        "ns0000:PageMediaSizeData",
        Property("ns0000:CustomUnitType", unit) + Property("ns0000:TransverseMode", "On") +
            Property("ns0000:ThicknessType", "Envelope") + Property("ns0000:UseFixedMargin", "On") +
            Property("ns0000:DocMarginLeft", "1", "integer") + Property("ns0000:DocMarginRight", "2", "integer") +
            Property("ns0000:DocMarginTop", "3", "integer") + Property("ns0000:DocMarginBottom", "4", "integer") +
            Property("ns0000:OutMarginLeft", "5", "integer") + Property("ns0000:OutMarginRight", "6", "integer") +
            Property("ns0000:OutMarginTop", "7", "integer") + Property("ns0000:OutMarginBottom", "8", "integer") +
            Property("ns0000:CustomPaperTemp", paperTemp, "integer"));
}

void ExpectDefaultMedia(const PageGeometry& geometry)
{
    EXPECT_EQ(Text(geometry.MediaName()), "NorthAmericaLetter");
    EXPECT_EQ(geometry.width, 215900);
    EXPECT_EQ(geometry.height, 279400);
    EXPECT_EQ(geometry.nameIsPrivate, FALSE);
    EXPECT_EQ(geometry.orientation, PageOrientation::Portrait);
}

TEST(PageGeometryRecord, StartsAsLetterPortraitWithoutCustomPaperData)
{
    PageGeometry geometry;
    ExpectDefaultMedia(geometry);
    EXPECT_EQ(geometry.unitIsInch, FALSE);
    EXPECT_EQ(geometry.transverse, FALSE);
    EXPECT_EQ(geometry.thickness, 0);
    EXPECT_EQ(geometry.fixedMargin, FALSE);
    EXPECT_EQ(geometry.documentMargins.left, -1);
    EXPECT_EQ(geometry.outputMargins.bottom, -1);
    EXPECT_EQ(geometry.customPaperTemp, 256);
}

TEST(PageGeometryRecord, SettingMediaCopiesOnlyADifferentName)
{
    PageGeometry geometry;
    OwnedBstr a4 = Bstr("ISOA4");
    geometry.SetMedia(a4.Get(), 210000, 297000, FALSE);
    EXPECT_NE(geometry.MediaName(), a4.Get()) << "the record keeps a copy of its own";
    BSTR stored = geometry.MediaName();

    // Turning the media passes the record's own name back in: the stored
    // name must survive, and only the numbers change.
    geometry.SetMedia(geometry.MediaName(), 297000, 210000, TRUE);
    EXPECT_EQ(geometry.MediaName(), stored);
    EXPECT_EQ(Text(geometry.MediaName()), "ISOA4");
    EXPECT_EQ(geometry.width, 297000);
    EXPECT_EQ(geometry.height, 210000);
    EXPECT_EQ(geometry.nameIsPrivate, TRUE);

    OwnedBstr b5 = Bstr("JISB5");
    geometry.SetMedia(b5.Get(), 182000, 257000, FALSE);
    EXPECT_EQ(Text(geometry.MediaName()), "JISB5");
}

TEST(PageGeometryRecord, CopiesOwnTheirName)
{
    PageGeometry original;
    OwnedBstr name = Bstr("ISOA5");
    original.SetMedia(name.Get(), 148000, 210000, TRUE);
    original.documentMargins.top = 500;
    original.customPaperTemp = -1;

    PageGeometry copy = original;
    EXPECT_NE(copy.MediaName(), original.MediaName());
    EXPECT_EQ(Text(copy.MediaName()), "ISOA5");
    EXPECT_EQ(copy.width, 148000);
    EXPECT_EQ(copy.nameIsPrivate, TRUE);
    EXPECT_EQ(copy.documentMargins.top, 500);
    EXPECT_EQ(copy.customPaperTemp, -1);

    PageGeometry assigned;
    assigned = copy;
    copy = PageGeometry();  // the assigned record must not share the freed name
    EXPECT_EQ(Text(assigned.MediaName()), "ISOA5");
    ExpectDefaultMedia(copy);
}

class PageGeometryReading : public TicketTest {};

TEST_F(PageGeometryReading, NamedMediaWithoutCustomPaperDataIsIncomplete)
{
    PageGeometry geometry;
    EXPECT_EQ(ReadPageGeometry(Wrap(MakeTicket(kA4 + kPortrait)), &geometry), S_PAGE_GEOMETRY_INCOMPLETE);
    EXPECT_EQ(Text(geometry.MediaName()), "ISOA4");
    EXPECT_EQ(geometry.width, 210000);
    EXPECT_EQ(geometry.height, 297000);
    EXPECT_EQ(geometry.nameIsPrivate, FALSE);
}

TEST_F(PageGeometryReading, PrivateMediaNameComesWithoutPrefix)
{
    std::string media = Feature(
        "psk:PageMediaSize",
        Option("ns0000:Postcard4x6", Scored("psk:MediaSizeWidth", "101600") + Scored("psk:MediaSizeHeight", "152400")));
    PageGeometry geometry;
    ReadPageGeometry(Wrap(MakeTicket(media)), &geometry);
    EXPECT_EQ(Text(geometry.MediaName()), "Postcard4x6");
    EXPECT_EQ(geometry.nameIsPrivate, TRUE);
    EXPECT_EQ(geometry.width, 101600);
    EXPECT_EQ(geometry.height, 152400);
}

TEST_F(PageGeometryReading, MediaWithoutHeightKeepsAllFourFields)
{
    std::string media = Feature("psk:PageMediaSize", Option("psk:ISOA3", Scored("psk:MediaSizeWidth", "297000")));
    PageGeometry geometry;
    OwnedBstr name = Bstr("Tabloid");
    geometry.SetMedia(name.Get(), 279400, 431800, TRUE);
    EXPECT_EQ(ReadPageGeometry(Wrap(MakeTicket(media + kPortrait)), &geometry), S_PAGE_GEOMETRY_INCOMPLETE);
    EXPECT_EQ(Text(geometry.MediaName()), "Tabloid");
    EXPECT_EQ(geometry.width, 279400);
    EXPECT_EQ(geometry.height, 431800);
    EXPECT_EQ(geometry.nameIsPrivate, TRUE);
}

TEST_F(PageGeometryReading, OrientationByName)
{
    PageGeometry geometry;
    ReadPageGeometry(Wrap(MakeTicket(Feature("psk:PageOrientation", Option("psk:ReverseLandscape")))), &geometry);
    EXPECT_EQ(geometry.orientation, PageOrientation::ReverseLandscape);

    geometry.orientation = PageOrientation::ReversePortrait;
    ReadPageGeometry(Wrap(MakeTicket(Feature("psk:PageOrientation", Option("psk:Sideways")))), &geometry);
    EXPECT_EQ(geometry.orientation, PageOrientation::ReversePortrait) << "an unknown name leaves the field";
    // Only keywords options count: a private one keeps its prefix.
    ReadPageGeometry(Wrap(MakeTicket(Feature("psk:PageOrientation", Option("ns0000:Landscape")))), &geometry);
    EXPECT_EQ(geometry.orientation, PageOrientation::ReversePortrait);
}

TEST_F(PageGeometryReading, CustomPaperDataFillsEveryField)
{
    PageGeometry geometry;
    EXPECT_EQ(ReadPageGeometry(Wrap(MakeTicket(kA4 + kPortrait + MediaSizeData("inch", "300"))), &geometry), S_OK);
    EXPECT_EQ(geometry.unitIsInch, TRUE);
    EXPECT_EQ(geometry.transverse, TRUE);
    EXPECT_EQ(geometry.thickness, 2);
    EXPECT_EQ(geometry.fixedMargin, TRUE);
    EXPECT_EQ(geometry.documentMargins.left, 1);
    EXPECT_EQ(geometry.documentMargins.right, 2);
    EXPECT_EQ(geometry.documentMargins.top, 3);
    EXPECT_EQ(geometry.documentMargins.bottom, 4);
    EXPECT_EQ(geometry.outputMargins.left, 5);
    EXPECT_EQ(geometry.outputMargins.right, 6);
    EXPECT_EQ(geometry.outputMargins.top, 7);
    EXPECT_EQ(geometry.outputMargins.bottom, 8);
    EXPECT_EQ(geometry.customPaperTemp, 300);
}

TEST_F(PageGeometryReading, CustomPaperTempIsSixteenBits)
{
    PageGeometry geometry;
    ReadPageGeometry(Wrap(MakeTicket(MediaSizeData("mm", "65535"))), &geometry);
    EXPECT_EQ(geometry.customPaperTemp, -1);
    ReadPageGeometry(Wrap(MakeTicket(MediaSizeData("mm", "65536"))), &geometry);
    EXPECT_EQ(geometry.customPaperTemp, 0);
}

TEST_F(PageGeometryReading, MissingOrUnknownMembersKeepTheirFields)
{
    std::string data = PropertyGroup("ns0000:PageMediaSizeData", Property("ns0000:CustomUnitType", "cm") +
                                                                     Property("ns0000:ThicknessType", "Thick") +
                                                                     Property("ns0000:OutMarginTop", "12", "integer"));
    PageGeometry geometry;
    geometry.unitIsInch = TRUE;
    EXPECT_EQ(ReadPageGeometry(Wrap(MakeTicket(kA4 + kPortrait + data)), &geometry), S_PAGE_GEOMETRY_INCOMPLETE);
    EXPECT_EQ(geometry.unitIsInch, TRUE) << "cm is no unit of the table";
    EXPECT_EQ(geometry.thickness, 1);
    EXPECT_EQ(geometry.outputMargins.top, 12);
    EXPECT_EQ(geometry.outputMargins.left, -1);
    EXPECT_EQ(geometry.customPaperTemp, 256);
}

TEST_F(PageGeometryReading, RealJobTicketWithoutMediaKeepsTheRecord)
{
    std::string job;
    if (!ReadFixtureTicket("Resources/Job_PT.xml", &job)) GTEST_SKIP() << "fixtures folder not found";
    PageGeometry geometry;
    EXPECT_EQ(ReadPageGeometry(Wrap(job), &geometry), S_PAGE_GEOMETRY_INCOMPLETE);
    ExpectDefaultMedia(geometry);
}

TEST_F(PageGeometryReading, RealJobTicketMergedOverTheDeviceDefault)
{
    std::string job;
    if (!ReadFixtureTicket("Resources/Job_PT.xml", &job)) GTEST_SKIP() << "fixtures folder not found";
    // The default device prints ISOA4 portrait; the job ticket only asks for
    // two copies.
    PageGeometry geometry;
    EXPECT_EQ(ReadPageGeometry(Wrap(MergedOverDeviceDefault(job)), &geometry), S_PAGE_GEOMETRY_INCOMPLETE);
    EXPECT_EQ(Text(geometry.MediaName()), "ISOA4");
    EXPECT_EQ(geometry.width, 210000);
    EXPECT_EQ(geometry.height, 297000);
    EXPECT_EQ(geometry.orientation, PageOrientation::Portrait);
}

class PageGeometryWriting : public TicketTest {
protected:
    // A ticket with its own prefixes (k, p, s, t) and settings to be replaced.
    PrintTicketDom& WrapOldSettings()
    {
        tickettest::Prefixes prefixes;
        prefixes.keywords = "k";
        prefixes.privateKeywords = "p";
        prefixes.xsi = "s";
        prefixes.xsd = "t";
        std::string old =
            "<psf:Feature name=\"k:PageMediaSize\"><psf:Option name=\"k:CustomMediaSize\">"
            "<psf:ScoredProperty name=\"k:MediaSizeWidth\">"
            "<psf:ParameterRef name=\"k:PageMediaSizeMediaSizeWidth\"/></psf:ScoredProperty>"
            "</psf:Option></psf:Feature>"
            "<psf:ParameterInit name=\"k:PageMediaSizeMediaSizeWidth\">"
            "<psf:Value s:type=\"t:integer\">1</psf:Value></psf:ParameterInit>"
            "<psf:ParameterInit name=\"k:PageMediaSizeMediaSizeHeight\">"
            "<psf:Value s:type=\"t:integer\">2</psf:Value></psf:ParameterInit>"
            "<psf:Feature name=\"k:PageOrientation\"><psf:Option name=\"k:Portrait\"/></psf:Feature>"
            "<psf:Property name=\"p:PageMediaSizeData\"/>"
            "<psf:Feature name=\"k:JobCopiesAllDocuments\"><psf:Option/></psf:Feature>";
        return Wrap(MakeTicket(old, prefixes));
    }
};

TEST_F(PageGeometryWriting, CustomSizeGoesThroughParameters)
{
    PageGeometry geometry;
    OwnedBstr custom = Bstr("CustomMediaSize");
    geometry.SetMedia(custom.Get(), 100000, 150000, FALSE);
    geometry.orientation = PageOrientation::Landscape;
    geometry.unitIsInch = TRUE;
    geometry.thickness = 1;
    geometry.outputMargins.right = 2500;
    geometry.customPaperTemp = -1;
    ASSERT_EQ(WritePageGeometry(WrapOldSettings(), geometry), S_OK);

    TicketMarkup saved(Saved());
    ASSERT_TRUE(saved.Parsed());
    const std::string option = "/psf:PrintTicket/psf:Feature[@name='k:PageMediaSize']/psf:Option";
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:Feature[@name='k:PageMediaSize']"), 1);
    EXPECT_EQ(saved.Text(option + "/@name"), "k:CustomMediaSize");
    EXPECT_EQ(saved.Count(option + "/psf:ScoredProperty"), 2);
    EXPECT_EQ(saved.Count(option + "/psf:ScoredProperty/*"), 2) << "each holds only its reference";
    EXPECT_EQ(saved.Text(option + "/psf:ScoredProperty[@name='k:MediaSizeWidth']/psf:ParameterRef/@name"),
              "k:PageMediaSizeMediaSizeWidth");
    EXPECT_EQ(saved.Text(option + "/psf:ScoredProperty[@name='k:MediaSizeHeight']/psf:ParameterRef/@name"),
              "k:PageMediaSizeMediaSizeHeight");
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:ParameterInit"), 2) << "the old initialisers are gone";
    const std::string width = "/psf:PrintTicket/psf:ParameterInit[@name='k:PageMediaSizeMediaSizeWidth']/psf:Value";
    EXPECT_EQ(saved.Text(width), "100000");
    EXPECT_EQ(saved.Text(width + "/@xsi:type"), "t:integer");
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:ParameterInit[@name='k:PageMediaSizeMediaSizeHeight']/psf:Value"),
              "150000");
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:Feature[@name='k:PageOrientation']"), 1);
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:Feature[@name='k:PageOrientation']/psf:Option/@name"), "k:Landscape");
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:Feature[@name='k:JobCopiesAllDocuments']"), 1);

    const std::string data = "/psf:PrintTicket/psf:Property[@name='p:PageMediaSizeData']";
    EXPECT_EQ(saved.Count(data), 1);
    EXPECT_EQ(saved.Count(data + "/psf:Property"), 13);
    EXPECT_EQ(saved.Count(data + "/psf:Property/psf:Value"), 13);
    const char* order[] = {"CustomUnitType", "TransverseMode",  "ThicknessType",   "UseFixedMargin", "DocMarginLeft",
                           "DocMarginRight", "DocMarginTop",    "DocMarginBottom", "OutMarginLeft",  "OutMarginRight",
                           "OutMarginTop",   "OutMarginBottom", "CustomPaperTemp"};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(saved.Text(data + "/psf:Property[" + std::to_string(i + 1) + "]/@name"),
                  std::string("p:") + order[i]);
    }
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='p:CustomUnitType']/psf:Value"), "inch");
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='p:CustomUnitType']/psf:Value/@xsi:type"), "t:string");
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='p:TransverseMode']/psf:Value"), "Off");
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='p:ThicknessType']/psf:Value"), "Thick");
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='p:DocMarginLeft']/psf:Value"), "-1");
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='p:OutMarginRight']/psf:Value"), "2500");
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='p:CustomPaperTemp']/psf:Value"), "-1");
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='p:CustomPaperTemp']/psf:Value/@xsi:type"), "t:integer");
}

TEST_F(PageGeometryWriting, WrittenGeometryReadsBack)
{
    PageGeometry written;
    OwnedBstr custom = Bstr("CustomMediaSize");
    written.SetMedia(custom.Get(), 123456, 234567, FALSE);
    written.orientation = PageOrientation::ReversePortrait;
    written.transverse = TRUE;
    written.fixedMargin = TRUE;
    written.documentMargins = {10, 20, 30, 40};
    written.customPaperTemp = -1;
    ASSERT_EQ(WritePageGeometry(WrapOldSettings(), written), S_OK);

    // Through the markup, as the next filter sees the stored ticket.
    std::string stored = Saved();
    PageGeometry read;
    ASSERT_EQ(ReadPageGeometry(Wrap(stored), &read), S_OK);
    EXPECT_EQ(Text(read.MediaName()), "CustomMediaSize");
    EXPECT_EQ(read.width, 123456);
    EXPECT_EQ(read.height, 234567);
    EXPECT_EQ(read.orientation, PageOrientation::ReversePortrait);
    EXPECT_EQ(read.transverse, TRUE);
    EXPECT_EQ(read.fixedMargin, TRUE);
    EXPECT_EQ(read.documentMargins.bottom, 40);
    EXPECT_EQ(read.outputMargins.top, -1);
    EXPECT_EQ(read.customPaperTemp, -1);
}

TEST_F(PageGeometryWriting, NamedSizesHoldTheirValuesAndPrivateNamesTheirPrefix)
{
    PageGeometry geometry;
    OwnedBstr name = Bstr("Postcard4x6");
    geometry.SetMedia(name.Get(), 101600, 152400, TRUE);
    ASSERT_EQ(WritePageGeometry(WrapOldSettings(), geometry), S_OK);

    TicketMarkup saved(Saved());
    const std::string option = "/psf:PrintTicket/psf:Feature[@name='k:PageMediaSize']/psf:Option";
    EXPECT_EQ(saved.Text(option + "/@name"), "p:Postcard4x6");
    EXPECT_EQ(saved.Text(option + "/psf:ScoredProperty[@name='k:MediaSizeWidth']/psf:Value"), "101600");
    EXPECT_EQ(saved.Text(option + "/psf:ScoredProperty[@name='k:MediaSizeHeight']/psf:Value"), "152400");
    EXPECT_EQ(saved.Count("//psf:ParameterInit"), 0);
    EXPECT_EQ(saved.Count("//psf:ParameterRef"), 0);
}

TEST_F(PageGeometryWriting, ValuesOutsideTheTablesAreRefused)
{
    PageGeometry geometry;
    geometry.orientation = static_cast<PageOrientation>(4);
    EXPECT_EQ(WritePageGeometry(WrapOldSettings(), geometry), E_INVALIDARG);
    geometry.orientation = PageOrientation::Portrait;
    geometry.thickness = 3;
    EXPECT_EQ(WritePageGeometry(WrapOldSettings(), geometry), E_INVALIDARG);
    EXPECT_EQ(TicketMarkup(Saved()).Count("//psf:Property[@name='p:PageMediaSizeData']"), 0)
        << "an unfinished group is not attached";
}

}  // namespace
