// The job options' tickets read back through the filters' own readers: each
// row of the options' case table (options, where the reader looks, the value
// worked out by hand) whose setting one of these readers covers is turned
// into a ticket, wrapped in a PrintTicketDom and read; the record's field,
// named the way the row names it, must be the row's value.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <map>

#include "filtercore/job_settings.h"
#include "filtercore/page_geometry.h"
#include "job_options.h"
#include "layout_settings.h"
#include "option_cases.h"
#include "settings_test_support.h"

namespace {

using namespace settingstest;
using tickettest::Bstr;

// The settings these readers cover, as they appear in the rows' queries.
const char* const kCoveredSettings[] = {
    "{k}PageMediaSize'",
    "{k}PageMediaSizeMediaSize",
    "{k}PageOrientation'",
    "{p}PageMediaSizeData'",
    "{k}JobDuplexAllDocumentsContiguously'",
    "{p}JobDuplexData'",
    "{k}JobBindAllDocuments'",
    "{p}JobBindBookletDivideSheets'",
    "{k}PagePoster'",
    "{p}PagePosterData'",
    "{k}PageMirrorImage'",
    "{p}PageReverseImage'",
    "{p}JobSettingData'",
    "{p}JobInfoData'",
    "{p}JobSecretFunctionData'",
    "{k}JobNUpAllDocumentsContiguously'",
    "{k}PageInputBin'",
    "{p}JobInput2ndBin'",
};

bool IsCovered(const std::string& query)
{
    for (const char* setting : kCoveredSettings) {
        if (query.find(setting) != std::string::npos) return true;
    }
    return false;
}

// The name a record's index stands for, as the description's tables give
// it; a value outside the table shows as such.
std::string NameOf(INT index, std::initializer_list<const char*> names)
{
    if (index < 0 || static_cast<size_t>(index) >= names.size()) return "(index " + std::to_string(index) + ")";
    return names.begin()[index];
}

std::string OffOn(INT value) { return NameOf(value, {"Off", "On"}); }

// Records preset with values no ticket gives, so that a field the reader
// did not fill cannot pass for the expected value.
PageGeometry ReadGeometry(PrintTicketDom& ticket)
{
    PageGeometry geometry;
    OwnedBstr unset = Bstr("unset");
    geometry.SetMedia(unset.Get(), -7, -7, 7);
    geometry.unitIsInch = geometry.transverse = geometry.thickness = geometry.fixedMargin = -7;
    geometry.orientation = static_cast<PageOrientation>(-7);
    geometry.documentMargins = {-7, -7, -7, -7};
    geometry.outputMargins = {-7, -7, -7, -7};
    geometry.customPaperTemp = -7;
    EXPECT_TRUE(SUCCEEDED(ReadPageGeometry(ticket, &geometry)));
    return geometry;
}

DuplexSettings ReadDuplexSettings(PrintTicketDom& ticket)
{
    DuplexSettings settings{-7, -7, -7, -7, -7};
    EXPECT_EQ(ReadDuplex(ticket, &settings), S_OK);
    return settings;
}

BindingSettings ReadBindingSettings(PrintTicketDom& ticket)
{
    BindingSettings settings{-7, -7, -7, -7, -7, -7, -7, -7, -7};
    EXPECT_EQ(ReadBinding(ticket, &settings), S_OK);
    return settings;
}

PosterSettings ReadPosterSettings(PrintTicketDom& ticket)
{
    PosterSettings settings{-7, -7, -7};
    EXPECT_EQ(ReadPoster(ticket, &settings), S_OK);
    return settings;
}

MirrorSettings ReadMirrorSettings(PrintTicketDom& ticket)
{
    MirrorSettings settings{-7, -7};
    EXPECT_EQ(ReadMirror(ticket, &settings), S_OK);
    return settings;
}

JobInfoSettings ReadJobInfoSettings(PrintTicketDom& ticket)
{
    JobInfoSettings settings;
    OwnedBstr unset = Bstr("unset");
    settings.defaultUserName.Assign(unset.Get());
    settings.computerName.Assign(unset.Get());
    settings.divideCondition.Assign(unset.Get());
    settings.codePage = settings.separateTrayMode = settings.halftoneReduction = settings.draftMode = -7;
    EXPECT_EQ(ReadJobInfo(ticket, &settings), S_OK);
    return settings;
}

NUpSettings ReadNUpSettings(PrintTicketDom& ticket)
{
    NUpSettings settings{-7, -7, -7, -7};
    EXPECT_EQ(ReadNUp(ticket, &settings), S_OK);
    EXPECT_EQ(settings.scope, kSettingScopeJob);
    return settings;
}

InputBinSettings ReadBins(PrintTicketDom& ticket)
{
    InputBinSettings settings;
    settings.pageBin = settings.secondBin = -7;
    EXPECT_EQ(ReadInputBins(ticket, &settings), S_OK);
    return settings;
}

// The bin table, with the namespace each name belongs to.
std::string BinName(INT bin)
{
    return NameOf(bin, {"{k}AutoSelect", "{p}SameTray", "{p}Tray1", "{p}Tray2", "{p}Tray3", "{p}Tray4", "{p}TrayID1",
                        "{p}TrayID2", "{p}TrayID3", "{p}TrayID4", "{k}Manual", "{p}MPTray"});
}

// Where a reader looks (the row's query) and what it found there, written
// as the row writes it. An option the reader matches by its local name
// alone, whatever its namespace, is compared without the row's {k} or {p}.
struct Probe {
    bool localNameOnly;
    std::function<std::string(PrintTicketDom&)> read;
};

std::map<std::string, Probe> MakeProbes()
{
    std::map<std::string, Probe> probes;
    auto add = [&](std::string query, bool localNameOnly, std::function<std::string(PrintTicketDom&)> read) {
        probes.emplace(std::move(query), Probe{localNameOnly, std::move(read)});
    };
    auto member = [](const char* group, const char* member) {
        return std::string("/psf:PrintTicket/psf:Property[@name='{p}") + group + "']/psf:Property[@name='{p}" + member +
               "']";
    };
    const std::string media = TAV_FEATURE("{k}PageMediaSize");
    const std::string option = "/psf:Option";

    // Page geometry.
    add(media + TAV_OPTION_NAME, false, [](PrintTicketDom& ticket) {
        PageGeometry geometry = ReadGeometry(ticket);
        return (geometry.nameIsPrivate ? "{p}" : "{k}") + Text(geometry.MediaName());
    });
    add(media + option + TAV_SUB("ScoredProperty", "{k}MediaSizeWidth"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadGeometry(ticket).width); });
    add(media + option + TAV_SUB("ScoredProperty", "{k}MediaSizeHeight"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadGeometry(ticket).height); });
    add(TAV_SUB("PrintTicket/psf:ParameterInit", "{k}PageMediaSizeMediaSizeHeight"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadGeometry(ticket).height); });
    add(TAV_FEATURE("{k}PageOrientation") TAV_OPTION_NAME, false, [](PrintTicketDom& ticket) {
        return "{k}" + NameOf(static_cast<INT>(ReadGeometry(ticket).orientation),
                              {"Landscape", "Portrait", "ReverseLandscape", "ReversePortrait"});
    });
    add(member("PageMediaSizeData", "CustomUnitType"), false, [](PrintTicketDom& ticket) {
        return NameOf(ReadGeometry(ticket).unitIsInch, {"mm", "inch"});
    });
    add(member("PageMediaSizeData", "TransverseMode"), false,
        [](PrintTicketDom& ticket) { return OffOn(ReadGeometry(ticket).transverse); });
    add(member("PageMediaSizeData", "ThicknessType"), false, [](PrintTicketDom& ticket) {
        return NameOf(ReadGeometry(ticket).thickness, {"Regular", "Thick", "Envelope"});
    });
    add(member("PageMediaSizeData", "UseFixedMargin"), false,
        [](PrintTicketDom& ticket) { return OffOn(ReadGeometry(ticket).fixedMargin); });
    using MarginField = INT PaperMargins::*;
    const std::pair<const char*, MarginField> margins[] = {{"Left", &PaperMargins::left},
                                                           {"Right", &PaperMargins::right},
                                                           {"Top", &PaperMargins::top},
                                                           {"Bottom", &PaperMargins::bottom}};
    // Named copies rather than a structured binding: the lambdas capture the field, and clang before 16
    // refuses to capture a structured binding.
    for (const auto& margin : margins) {
        const char* side = margin.first;
        const MarginField field = margin.second;
        add(member("PageMediaSizeData", (std::string("DocMargin") + side).c_str()), false,
            [field](PrintTicketDom& ticket) { return std::to_string(ReadGeometry(ticket).documentMargins.*field); });
        add(member("PageMediaSizeData", (std::string("OutMargin") + side).c_str()), false,
            [field](PrintTicketDom& ticket) { return std::to_string(ReadGeometry(ticket).outputMargins.*field); });
    }
    add(member("PageMediaSizeData", "CustomPaperTemp"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadGeometry(ticket).customPaperTemp); });

    // Duplex.
    const std::string duplex = TAV_FEATURE("{k}JobDuplexAllDocumentsContiguously");
    add(duplex + TAV_OPTION_NAME, false, [](PrintTicketDom& ticket) {
        return "{k}" + NameOf(ReadDuplexSettings(ticket).kind, {"OneSided", "TwoSidedShortEdge", "TwoSidedShortEdge",
                                                                "TwoSidedLongEdge", "TwoSidedLongEdge"});
    });
    add(duplex + option + TAV_SUB("ScoredProperty", "{k}DuplexMode"), false, [](PrintTicketDom& ticket) {
        return NameOf(ReadDuplexSettings(ticket).mode, {"(none)", "Automatic", "Manual"});
    });
    add(member("JobDuplexData", "DuplexModeSubData"), false, [](PrintTicketDom& ticket) {
        return NameOf(ReadDuplexSettings(ticket).subMode, {"(none)", "Automatic", "Manual"});
    });
    add(member("JobDuplexData", "TraySeparationMode"), false, [](PrintTicketDom& ticket) {
        return NameOf(ReadDuplexSettings(ticket).firstPaper, {"DuplexPrintFirstPage", "DuplexPrintFirstPaper"});
    });

    // Binding and booklet.
    const std::string binding = TAV_FEATURE("{k}JobBindAllDocuments");
    add(binding + TAV_OPTION_NAME, true, [](PrintTicketDom& ticket) {
        return NameOf(ReadBindingSettings(ticket).option,
                      {"BindBottom", "BindLeft", "BindRight", "BindTop", "Booklet", "BookletReverseFlip"});
    });
    add(binding + TAV_SUB("Feature", "{p}BookletPrintingMethod") TAV_OPTION_NAME, true, [](PrintTicketDom& ticket) {
        return NameOf(ReadBindingSettings(ticket).bookletMethod, {"AllPagesAtOnce", "DivideIntoSets"});
    });
    add(binding + TAV_SUB("Feature", "{p}BindingUnit") TAV_OPTION_NAME, true, [](PrintTicketDom& ticket) {
        return NameOf(ReadBindingSettings(ticket).unit, {"microns", "inches"});
    });
    add(binding + TAV_SUB("Feature", "{p}BindingGutterControl") TAV_OPTION_NAME, true,
        [](PrintTicketDom& ticket) { return OffOn(ReadBindingSettings(ticket).gutterControl); });
    add(TAV_SUB("PrintTicket/psf:ParameterInit", "{p}JobBindBookletDivideSheets"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadBindingSettings(ticket).sheetsPerSet); });
    add(binding + option + TAV_SUB("ScoredProperty", "{k}BindingGutter"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadBindingSettings(ticket).gutter); });
    add(binding + option + TAV_SUB("ScoredProperty", "{p}DependOnDuplex"), false, [](PrintTicketDom& ticket) {
        return NameOf(ReadBindingSettings(ticket).dependOnDuplex, {"False", "True"});
    });
    add(binding + TAV_SUB("Property", "{p}BindingOptionControl"), false,
        [](PrintTicketDom& ticket) { return OffOn(ReadBindingSettings(ticket).optionControl); });

    // Poster.
    const std::string poster = TAV_FEATURE("{k}PagePoster");
    add(poster + option + TAV_SUB("ScoredProperty", "{k}SheetsPerPage"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadPosterSettings(ticket).sheetsPerPage); });
    add(poster + TAV_SUB("Feature", "{p}PagePrintCutOutLine") TAV_OPTION_NAME, true,
        [](PrintTicketDom& ticket) { return OffOn(ReadPosterSettings(ticket).printCutOutLine); });
    add(member("PagePosterData", "HideFlag"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadPosterSettings(ticket).hideFlag); });

    // Mirror and reverse image: the mirror option must be a keywords one,
    // the reverse option a private one.
    add(TAV_FEATURE("{k}PageMirrorImage") TAV_OPTION_NAME, false, [](PrintTicketDom& ticket) {
        return "{k}" + NameOf(ReadMirrorSettings(ticket).mirror, {"MirrorImageWidth", "MirrorImageHeight", "None"});
    });
    add(TAV_FEATURE("{p}PageReverseImage") TAV_OPTION_NAME, false,
        [](PrintTicketDom& ticket) { return "{p}" + OffOn(ReadMirrorSettings(ticket).reverse); });

    // N-up and input bins, which only the layout filter reads.
    const std::string nup = TAV_FEATURE("{k}JobNUpAllDocumentsContiguously");
    add(nup + option + TAV_SUB("ScoredProperty", "{k}PagesPerSheet"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadNUpSettings(ticket).pagesPerSheet); });
    add(nup + TAV_SUB("Feature", "{k}PresentationDirection") TAV_OPTION_NAME, false, [](PrintTicketDom& ticket) {
        return "{k}" +
               NameOf(ReadNUpSettings(ticket).direction, {"RightBottom", "BottomRight", "LeftBottom", "BottomLeft"});
    });
    add(nup + TAV_SUB("Feature", "{p}BorderLine") TAV_OPTION_NAME, false, [](PrintTicketDom& ticket) {
        return "{p}" + NameOf(ReadNUpSettings(ticket).border, {"None", "SolidLine", "BreakLine"});
    });
    add(TAV_FEATURE("{k}PageInputBin") TAV_OPTION_NAME, false,
        [](PrintTicketDom& ticket) { return BinName(ReadBins(ticket).pageBin); });
    add(TAV_FEATURE("{p}JobInput2ndBin") TAV_OPTION_NAME, false,
        [](PrintTicketDom& ticket) { return BinName(ReadBins(ticket).secondBin); });

    // Job information and job setting data.
    add(member("JobSettingData", "SeparateTrayMode"), false,
        [](PrintTicketDom& ticket) { return OffOn(ReadJobInfoSettings(ticket).separateTrayMode); });
    add(member("JobSettingData", "DivideCondition"), false,
        [](PrintTicketDom& ticket) { return Text(ReadJobInfoSettings(ticket).divideCondition.Get()); });
    add(member("JobInfoData", "DefaultUserName"), false,
        [](PrintTicketDom& ticket) { return Text(ReadJobInfoSettings(ticket).defaultUserName.Get()); });
    add(member("JobInfoData", "ComputerName"), false,
        [](PrintTicketDom& ticket) { return Text(ReadJobInfoSettings(ticket).computerName.Get()); });
    add(member("JobInfoData", "CodePage"), false,
        [](PrintTicketDom& ticket) { return std::to_string(ReadJobInfoSettings(ticket).codePage); });
    add(member("JobSecretFunctionData", "DraftMode"), false,
        [](PrintTicketDom& ticket) { return OffOn(ReadJobInfoSettings(ticket).draftMode); });
    add(member("JobSecretFunctionData", "HalftoneReduction"), false,
        [](PrintTicketDom& ticket) { return OffOn(ReadJobInfoSettings(ticket).halftoneReduction); });
    return probes;
}

std::string WithoutNamespaceMarker(const std::string& name)
{
    return name.rfind("{k}", 0) == 0 || name.rfind("{p}", 0) == 0 ? name.substr(3) : name;
}

std::string Describe(const OptionCase& row)
{
    std::string text;
    for (const auto& [name, value] : row.options) text += " -o " + name + "=" + value;
    return text + " -> " + row.query;
}

class OptionRoundTrip : public TicketTest {};

TEST_F(OptionRoundTrip, EveryRowOfACoveredSettingReadsBackThroughItsReader)
{
    const std::map<std::string, Probe> probes = MakeProbes();
    int checked = 0;
    for (const OptionCase& row : OptionCases()) {
        SCOPED_TRACE(Describe(row));
        auto probe = probes.find(row.query);
        if (probe == probes.end()) {
            EXPECT_FALSE(IsCovered(row.query)) << "a row of a covered setting that no probe reads";
            continue;
        }
        std::string markup;
        std::string error;
        ASSERT_TRUE(BuildJobTicket(row.options, "", &markup, nullptr, &error)) << error;
        std::string expected = probe->second.localNameOnly ? WithoutNamespaceMarker(row.expected) : row.expected;
        EXPECT_EQ(probe->second.read(Wrap(markup)), expected);
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
