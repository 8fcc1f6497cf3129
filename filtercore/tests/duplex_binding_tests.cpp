// Reading the duplex and binding settings: the duplex table walk, the job
// duplex data, the binding option with its gutter, sub-features and booklet
// sets, on hand-made tickets and the real document ticket of mb06.
#include <gtest/gtest.h>

#include "filtercore/job_settings.h"
#include "settings_test_support.h"

namespace {

using namespace settingstest;
using tickettest::MakeTicket;

std::string Duplex(const std::string& option, const std::string& mode = "")
{
    std::string modeProperty = mode.empty() ? "" : Scored("psk:DuplexMode", mode, "string");
    return Feature("psk:JobDuplexAllDocumentsContiguously", Option(option, modeProperty));
}

class DuplexReading : public TicketTest {
protected:
    // Reads into a record whose fields hold values the table never gives.
    DuplexSettings Read(const std::string& body, HRESULT expected = S_OK)
    {
        DuplexSettings settings;
        settings.scope = 7;
        settings.kind = 7;
        settings.mode = 7;
        settings.firstPaper = 7;
        settings.subMode = 7;
        EXPECT_EQ(ReadDuplex(Wrap(MakeTicket(body)), &settings), expected);
        return settings;
    }
};

TEST_F(DuplexReading, DuplexModePicksTheRowOfItsOption)
{
    DuplexSettings manual = Read(Duplex("psk:TwoSidedLongEdge", "Manual"));
    EXPECT_EQ(manual.scope, 0);
    EXPECT_EQ(manual.kind, 4);
    EXPECT_EQ(manual.mode, 2);

    DuplexSettings automatic = Read(Duplex("psk:TwoSidedLongEdge", "Automatic"));
    EXPECT_EQ(automatic.kind, 3);
    EXPECT_EQ(automatic.mode, 1);

    DuplexSettings shortManual = Read(Duplex("psk:TwoSidedShortEdge", "Manual"));
    EXPECT_EQ(shortManual.kind, 2);
    EXPECT_EQ(shortManual.mode, 2);

    DuplexSettings shortAutomatic = Read(Duplex("psk:TwoSidedShortEdge", "Automatic"));
    EXPECT_EQ(shortAutomatic.kind, 1);
    EXPECT_EQ(shortAutomatic.mode, 1);
}

TEST_F(DuplexReading, WithoutAKnownModeTheKindIsTheOptionsUnspecifiedRow)
{
    DuplexSettings none = Read(Duplex("psk:TwoSidedLongEdge"));
    EXPECT_EQ(none.kind, 3);
    EXPECT_EQ(none.mode, 0);

    DuplexSettings other = Read(Duplex("psk:TwoSidedShortEdge", "_Undefined_"));
    EXPECT_EQ(other.kind, 1);
    EXPECT_EQ(other.mode, 0);

    DuplexSettings oneSided = Read(Duplex("psk:OneSided", "Manual"));
    EXPECT_EQ(oneSided.scope, 0);
    EXPECT_EQ(oneSided.kind, 0);
    EXPECT_EQ(oneSided.mode, 0);
}

TEST_F(DuplexReading, OptionsCompareExactly)
{
    DuplexSettings settings = Read(Duplex("psk:twosidedlongedge", "Manual"));
    EXPECT_EQ(settings.scope, 0) << "the feature is there";
    EXPECT_EQ(settings.kind, 7);
    EXPECT_EQ(settings.mode, 7);
}

TEST_F(DuplexReading, AbsentFeatureHasNoScope)
{
    DuplexSettings settings = Read(Feature("psk:PageOrientation", Option("psk:Portrait")));
    EXPECT_EQ(settings.scope, -1);
    EXPECT_EQ(settings.kind, 7);
    EXPECT_EQ(settings.firstPaper, 0);
    EXPECT_EQ(settings.subMode, 0);
}

TEST_F(DuplexReading, DocumentDuplexOfARealTicketIsNotRead)
{
    std::string document;
    if (!ReadFixtureTicket("Resources/Document1_PT.xml", &document)) GTEST_SKIP() << "fixtures folder not found";
    DuplexSettings settings;
    settings.kind = 7;
    EXPECT_EQ(ReadDuplex(Wrap(document), &settings), S_OK);
    EXPECT_EQ(settings.scope, -1);
    EXPECT_EQ(settings.kind, 7);
}

TEST_F(DuplexReading, JobDuplexData)
{
    std::string data =
        PropertyGroup("ns0000:JobDuplexData", Property("ns0000:TraySeparationMode", "DuplexPrintFirstPaper") +
                                                  Property("ns0000:DuplexModeSubData", "Manual"));
    DuplexSettings settings = Read(Duplex("psk:TwoSidedShortEdge", "Manual") + data);
    EXPECT_EQ(settings.firstPaper, 1);
    EXPECT_EQ(settings.subMode, 2);

    std::string firstPage =
        PropertyGroup("ns0000:JobDuplexData", Property("ns0000:TraySeparationMode", "DuplexPrintFirstPage") +
                                                  Property("ns0000:DuplexModeSubData", "Automatic"));
    DuplexSettings other = Read(firstPage);
    EXPECT_EQ(other.firstPaper, 0);
    EXPECT_EQ(other.subMode, 1);
    EXPECT_EQ(other.scope, -1);

    DuplexSettings withoutSubMode =
        Read(PropertyGroup("ns0000:JobDuplexData", Property("ns0000:TraySeparationMode", "DuplexPrintFirstPaper")));
    EXPECT_EQ(withoutSubMode.firstPaper, 1);
    EXPECT_EQ(withoutSubMode.subMode, 0) << "a sub mode that cannot be read is 0";
}

std::string Binding(const std::string& option, const std::string& content = "")
{
    return Feature("psk:JobBindAllDocuments", Option(option, content));
}

std::string Nested(const std::string& feature, const std::string& option) { return Feature(feature, Option(option)); }

class BindingReading : public TicketTest {
protected:
    BindingSettings Read(const std::string& body, BindingSettings settings = Preset())
    {
        EXPECT_EQ(ReadBinding(Wrap(MakeTicket(body)), &settings), S_OK);
        return settings;
    }
    // Values the ticket never gives, to see what was read.
    static BindingSettings Preset()
    {
        BindingSettings settings;
        settings.scope = 7;
        settings.option = 7;
        settings.gutter = 7;
        settings.gutterControl = 7;
        settings.unit = 7;
        settings.dependOnDuplex = 7;
        settings.optionControl = 7;
        settings.bookletMethod = 7;
        settings.sheetsPerSet = 7;
        return settings;
    }
};

TEST_F(BindingReading, BookletDividedIntoSets)
{
    std::string feature =
        Feature("psk:JobBindAllDocuments",
                Option("psk:Booklet") + Nested("ns0000:BookletPrintingMethod", "ns0000:DivideIntoSets"));
    BindingSettings settings = Read(feature + ParameterInit("ns0000:JobBindBookletDivideSheets", "5"));
    EXPECT_EQ(settings.scope, 0);
    EXPECT_EQ(settings.option, 4);
    EXPECT_EQ(settings.bookletMethod, 1);
    EXPECT_EQ(settings.sheetsPerSet, 5);
    EXPECT_EQ(settings.gutter, 7) << "no gutter in the ticket";
    EXPECT_EQ(settings.dependOnDuplex, 1) << "no DependOnDuplex counts as True";
    EXPECT_EQ(settings.gutterControl, 7);
}

TEST_F(BindingReading, GutterSubFeaturesAndOptionControl)
{
    std::string feature =
        Feature("psk:JobBindAllDocuments",
                Option("psk:BindTop", ScoredRef("psk:BindingGutter", "psk:JobBindAllDocumentsGutter") +
                                          Scored("ns0000:DependOnDuplex", "False", "string")) +
                    Nested("ns0000:BindingGutterControl", "ns0000:On") + Nested("ns0000:BindingUnit", "ns0000:inches") +
                    Nested("ns0000:BookletPrintingMethod", "ns0000:AllPagesAtOnce") +
                    Property("ns0000:BindingOptionControl", "Off"));
    BindingSettings settings = Read(feature + ParameterInit("psk:JobBindAllDocumentsGutter", "12700"));
    EXPECT_EQ(settings.option, 3);
    EXPECT_EQ(settings.gutter, 12700);
    EXPECT_EQ(settings.dependOnDuplex, 0);
    EXPECT_EQ(settings.gutterControl, 1);
    EXPECT_EQ(settings.unit, 1);
    EXPECT_EQ(settings.bookletMethod, 0);
    EXPECT_EQ(settings.optionControl, 0);
    EXPECT_EQ(settings.sheetsPerSet, 7);
}

TEST_F(BindingReading, OnlyFalseUntiesFromDuplex)
{
    BindingSettings untied = Preset();
    untied.dependOnDuplex = 0;
    EXPECT_EQ(Read(Binding("psk:BindLeft", Scored("ns0000:DependOnDuplex", "True", "string")), untied).dependOnDuplex,
              1);
    EXPECT_EQ(Read(Binding("psk:BindLeft"), untied).dependOnDuplex, 1);
    EXPECT_EQ(Read(Binding("psk:BindLeft", Scored("ns0000:DependOnDuplex", "False", "string"))).dependOnDuplex, 0);
}

TEST_F(BindingReading, PrivateOptionsMatchTheirLocalName)
{
    EXPECT_EQ(Read(Binding("ns0000:BookletReverseFlip")).option, 5);
    EXPECT_EQ(Read(Binding("psk:BindBottom")).option, 0);
}

TEST_F(BindingReading, UnknownOptionKeepsOptionAndGutterButReadsTheRest)
{
    std::string feature =
        Feature("psk:JobBindAllDocuments", Option("psk:booklet", Scored("psk:BindingGutter", "5000")) +
                                               Nested("ns0000:BindingUnit", "ns0000:inches"));
    BindingSettings settings = Read(feature);
    EXPECT_EQ(settings.scope, 0);
    EXPECT_EQ(settings.option, 7) << "options compare exactly";
    EXPECT_EQ(settings.gutter, 7);
    EXPECT_EQ(settings.dependOnDuplex, 7);
    EXPECT_EQ(settings.unit, 1);
}

TEST_F(BindingReading, WithoutTheFeatureOnlyTheSetSizeIsRead)
{
    BindingSettings settings = Read(ParameterInit("ns0000:JobBindBookletDivideSheets", "3"));
    EXPECT_EQ(settings.scope, 7);
    EXPECT_EQ(settings.option, 7);
    EXPECT_EQ(settings.sheetsPerSet, 3);
    EXPECT_EQ(settings.unit, 7);
}

}  // namespace
