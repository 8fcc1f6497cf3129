// The command line, the pipeline configuration and the typed property-bag
// values it sets.
#include <gtest/gtest.h>

#include "chain/pipeline_config.h"
#include "cli/command_line.h"
#include "cli/package_info.h"
#include "cli/progress_line.h"
#include "job/page_selection.h"
#include "job/pipeline_properties.h"

namespace tav::host {
namespace {

TEST(CommandLineTest, JobOptionsAndDefaults)
{
    CommandLine line =
        ParseCommandLine({"-o", "number-up=4", "-osides=two-sided-long-edge", "--filters=prep,layout", "--set-property",
                          "LandscapeRotation=90", "--job-id", "42", "in.xps", "out.oxps", "-q"});
    EXPECT_EQ(line.command, Command::Run);
    EXPECT_TRUE(line.quiet);
    EXPECT_EQ(line.job.input, "in.xps");
    EXPECT_EQ(line.job.output, "out.oxps");
    EXPECT_EQ(line.job.options,
              (std::vector<std::pair<std::string, std::string>>{{"number-up", "4"}, {"sides", "two-sided-long-edge"}}));
    EXPECT_EQ(line.job.filters, (std::vector<std::string>{"prep", "layout"}));
    EXPECT_EQ(line.job.properties, (std::vector<std::pair<std::string, std::string>>{{"LandscapeRotation", "90"}}));
    EXPECT_EQ(line.job.jobId, 42u);
    EXPECT_EQ(line.job.printer, "tavprint");

    CommandLine info = ParseCommandLine({"info", "x.xps"});
    EXPECT_EQ(info.command, Command::Info);
    EXPECT_EQ(info.job.input, "x.xps");
    EXPECT_EQ(ParseCommandLine({"--help"}).command, Command::Help);
    EXPECT_EQ(ParseCommandLine({"--", "-odd.xps", "out.xps"}).job.input, "-odd.xps");
}

TEST(CommandLineTest, UsageErrors)
{
    auto message = [](std::vector<std::string> arguments) {
        try {
            ParseCommandLine(arguments);
        } catch (const UsageError& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(message({"in.xps"}), "give an INPUT and an OUTPUT package");
    EXPECT_EQ(message({"a", "b", "c"}), "give an INPUT and an OUTPUT package");
    EXPECT_EQ(message({"info"}), "info takes one package");
    EXPECT_EQ(message({"--bogus", "a", "b"}), "unknown option --bogus");
    EXPECT_EQ(message({"a", "b", "-o"}), "-o needs a value");
    EXPECT_EQ(message({"-o", "novalue", "a", "b"}), "unknown option \"novalue\"; tavpipe options lists them");
    EXPECT_EQ(message({"-o", "=4", "a", "b"}), "-o needs NAME=VALUE, not \"=4\"");
    EXPECT_EQ(message({"--job-id", "-3", "a", "b"}), "--job-id takes a number from 0 to 4294967295, not \"-3\"");
    EXPECT_EQ(message({"--quiet=yes", "a", "b"}), "--quiet takes no value");
    EXPECT_EQ(message({"-f", ",", "a", "b"}), "-f names no filter");
}

TEST(PropertyTest, ValuesAreTypedAsTheFiltersReadThem)
{
    VARIANT rotation = PropertyValue("LandscapeRotation", "90");
    EXPECT_EQ(rotation.vt, VT_I4);
    EXPECT_EQ(rotation.lVal, 90);
    VARIANT id = PropertyValue("PrintJobId", "4000000000");
    EXPECT_EQ(id.vt, VT_UI4);
    EXPECT_EQ(id.ulVal, 4000000000u);
    VARIANT handle = PropertyValue("PrinterHandle", "12345678901");
    EXPECT_EQ(handle.vt, VT_UI8);
    EXPECT_EQ(handle.ullVal, 12345678901u);
    VARIANT name = PropertyValue("EncDllName64", "libenc.so");
    ASSERT_EQ(name.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(name.bstrVal), u"libenc.so");
    VariantClear(&name);
    VARIANT other = PropertyValue("SomethingElse", "7");
    EXPECT_EQ(other.vt, VT_BSTR);
    VariantClear(&other);

    EXPECT_THROW(PropertyValue("PrintJobId", "-1"), PropertyError);
    EXPECT_THROW(PropertyValue("OutputPlanes", "3x"), PropertyError);
    EXPECT_THROW(PropertyValue("LandscapeRotation", "2147483648"), PropertyError);
    EXPECT_THROW(PropertyValue("PerUserPrintTicket", "x"), PropertyError);
}

TEST(PropertyTest, EveryValueTheFiltersReadIsDescribed)
{
    std::vector<std::string> names;
    for (const PropertyDescription& property : KnownProperties()) names.push_back(property.name);
    for (const char* expected :
         {"PrinterName", "PrintJobId", "PerUserPrintTicket", "PrintClassFactory", "LandscapeRotation", "PrinterHandle",
          "UserSecurityToken", "LangDllName64", "DataTimeID", "OutputBitsPixel", "OutputPlanes", "PortraitRotation",
          "ProgressReport", "EncDllName64", "QzmdFileName64"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
    }
}

TEST(PipelineConfigTest, BuiltInChainAndParsedFiles)
{
    PipelineConfig builtIn = PipelineConfig::BuiltIn();
    std::vector<FilterEntry> chain = builtIn.Chain({});
    ASSERT_EQ(chain.size(), 4u);
    EXPECT_EQ(chain[0].module, "libtavprep.so");
    EXPECT_EQ(chain[1].module, "libtavord.so");
    EXPECT_EQ(chain[2].module, "libtavlay.so");
    EXPECT_EQ(chain[3].module, "libtavfin.so");
    EXPECT_TRUE(builtIn.Chain({"layout", "rip"}).back().streamOutput);
    EXPECT_THROW(builtIn.Chain({"rip", "layout"}), ConfigError);
    EXPECT_THROW(builtIn.Chain({"prep", "prep"}), ConfigError);

    PipelineConfig parsed = PipelineConfig::Parse(
        "# a comment\n[pipeline]\nchain = b, a\n\n[a]\nmodule = /x/liba.so\nclsid = "
        "{00000001-0002-0003-0405-060708090A0B}\n"
        "[b]\nmodule = libb.so  # trailing comment\nclsid = 00000001-0002-0003-0405-060708090A0C\noutput = xps\n",
        "test.conf");
    chain = parsed.Chain({});
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_EQ(chain[0].name, "b");
    EXPECT_EQ(chain[0].module, "libb.so");
    EXPECT_EQ(chain[1].module, "/x/liba.so");
    EXPECT_EQ(chain[1].clsid.Data1, 1u);
    EXPECT_EQ(chain[1].clsid.Data4[7], 0x0B);

    auto error = [](const std::string& text) {
        try {
            PipelineConfig::Parse(text, "bad.conf");
        } catch (const ConfigError& failure) {
            return std::string(failure.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(error("[a]\nmodule = m.so\nclsid = nonsense\n"), "bad.conf:3: \"nonsense\" is no class identifier");
    EXPECT_EQ(error("module = m.so\n"), "bad.conf:1: a setting outside any section");
    EXPECT_EQ(error("[a]\nclsid = {00000001-0002-0003-0405-060708090A0B}\n"), "bad.conf: filter a has no module");
    EXPECT_EQ(error("[a]\ncolour = red\n"), "bad.conf:2: unknown filter setting \"colour\"");
}

TEST(PackageInfoTest, LengthsPrintShort)
{
    EXPECT_EQ(LengthText(816), "816");
    EXPECT_EQ(LengthText(793.7), "793.7");
}

}  // namespace
}  // namespace tav::host

namespace tav::host {
namespace {

TEST(PageSelectionTest, RangesInAnyOrderOverlappingOrOpen)
{
    PageSelection selection = PageSelection::Parse("10-,2-4,3,7");
    std::vector<uint64_t> selected;
    for (uint64_t page = 1; page <= 12; ++page) {
        if (selection.Contains(page)) selected.push_back(page);
    }
    EXPECT_EQ(selected, (std::vector<uint64_t>{2, 3, 4, 7, 10, 11, 12}));
    EXPECT_TRUE(selection.Contains(1000000));
    // 2-4, 7 and 10-12 of twelve pages; 2-3 of three; none of one.
    EXPECT_EQ(selection.CountWithin(12), 7u);
    EXPECT_EQ(selection.CountWithin(3), 2u);
    EXPECT_EQ(selection.CountWithin(1), 0u);
    EXPECT_TRUE(PageSelection().All());
    for (const char* bad : {"", "0", "a", "3-1", "1,,2", "-3", "2-x", "18446744073709551616"}) {
        EXPECT_THROW(PageSelection::Parse(bad), std::invalid_argument) << bad;
    }
}

TEST(ProgressTextTest, PagesReadOfTheTotalAndWritten)
{
    EXPECT_EQ(ProgressText(5, 8, 3), "5 of 8 pages read, 3 written");
    EXPECT_EQ(ProgressText(1, 1, 1), "1 of 1 page read, 1 written");
    EXPECT_EQ(ProgressText(2, 0, 0), "2 pages read, 0 written");
}

}  // namespace
}  // namespace tav::host
