// The ticket and options subcommands.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host_options.h"
#include "option_commands.h"
#include "option_table.h"
#include "test_support.h"
#include "ticket_query.h"

namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun Ticket(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    int status = RunTicketCommand(arguments, out, err);
    return {status, out.str(), err.str()};
}

CommandRun ListOptions(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    int status = RunOptionsCommand(arguments, out, err);
    return {status, out.str(), err.str()};
}

TEST(TicketCommand, PrintsTheTicketOfTheIssueExample)
{
    CommandRun run = Ticket({"-o", "number-up=4", "-o", "sides=two-sided-long-edge", "-omedia=iso_a4_210x297mm"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    TicketQuery ticket(run.out);
    ASSERT_TRUE(ticket.Parsed());
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='{k}JobNUpAllDocumentsContiguously']//psf:ScoredProperty"), "4");
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='{k}JobDuplexAllDocumentsContiguously']/psf:Option/@name"),
              "psk:TwoSidedLongEdge");
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='{k}PageMediaSize']/psf:Option/@name"), "psk:ISOA4");
    EXPECT_EQ(ticket.Read("//psf:ScoredProperty[@name='{k}MediaSizeWidth']"), "210000");
    EXPECT_EQ(ticket.Read("//psf:ScoredProperty[@name='{k}MediaSizeHeight']"), "297000");
}

TEST(TicketCommand, WrongOptionsAreUsageErrorsListingWhatIsAccepted)
{
    struct Case {
        const char* setting;
        const char* accepted;
    };
    const Case cases[] = {
        {"number-up=3", "number-up: unknown value \"3\"; accepted values: 1 2 4 6 9 16 25"},
        {"sides=sideways", "accepted values: one-sided two-sided-long-edge two-sided-short-edge"},
        {"nosuch=1", "unknown option \"nosuch\"; tavpipe options lists them"},
    };
    for (const Case& test : cases) {
        CommandRun run = Ticket({"-o", test.setting});
        EXPECT_EQ(run.status, 2) << test.setting;
        EXPECT_TRUE(Contains(run.err, test.accepted)) << run.err;
        EXPECT_EQ(run.out, "");
    }
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-o", "number-up"}, {"-o"}, {"--ticket"}, {"extra"}, {"-o", "=4"}}) {
        CommandRun run = Ticket(arguments);
        EXPECT_EQ(run.status, 2) << arguments[0];
        EXPECT_TRUE(Contains(run.err, "usage: tavpipe ticket")) << run.err;
    }
}

TEST(TicketCommand, MergesOverATicketFileAndWarnsOnStderr)
{
    std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tav-options-base-" + std::to_string(getpid()) + ".xml");
    std::ofstream(file) << TicketFor({{"number-up", "2"}, {"mirror", "height"}});
    CommandRun run = Ticket({"--ticket", file.string(), "-o", "number-up=9", "-o", "booklet-sheets-per-set=3"});
    ASSERT_EQ(run.status, 0) << run.err;
    TicketQuery ticket(run.out);
    EXPECT_EQ(ticket.Read("//psf:ScoredProperty[@name='{k}PagesPerSheet']"), "9");
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='{k}PageMirrorImage']/psf:Option/@name"), "psk:MirrorImageHeight");
    EXPECT_TRUE(Contains(run.err, "tavpipe ticket: warning: booklet-sheets-per-set=3 has no effect")) << run.err;

    std::ofstream(file) << "<not-a-ticket/>";
    CommandRun refused = Ticket({"--ticket=" + file.string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(Contains(refused.err, file.string() + ": the ticket's root element is not a PrintTicket"))
        << refused.err;
    std::filesystem::remove(file);

    CommandRun missing = Ticket({"--ticket", file.string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(Contains(missing.err, file.string() + ": cannot read it")) << missing.err;
}

TEST(OptionsCommand, ListsEveryOptionOneALine)
{
    CommandRun run = ListOptions({});
    ASSERT_EQ(run.status, 0);
    std::istringstream lines(run.out);
    std::string line;
    size_t count = 0;
    while (std::getline(lines, line)) {
        ++count;
        size_t slash = line.find('/');
        size_t colon = line.find(": ");
        ASSERT_NE(slash, std::string::npos) << line;
        ASSERT_NE(colon, std::string::npos) << line;
        std::string name = line.substr(0, slash);
        EXPECT_TRUE(tav::options::FindOption(name) || tav::options::FindHostOption(name)) << line;
    }
    EXPECT_EQ(count, tav::options::OptionTable().size() + tav::options::HostOptionTable().size());
    EXPECT_TRUE(Contains(run.out, "\nnumber-up/Pages per sheet: *1 2 4 6 9 16 25\n"));
    EXPECT_TRUE(Contains(run.out, "\nsides/Two-sided printing: *one-sided two-sided-long-edge two-sided-short-edge\n"));
    EXPECT_TRUE(Contains(run.out,
                         "\norientation-requested/Orientation: *portrait landscape reverse-landscape "
                         "reverse-portrait\n"));
    EXPECT_TRUE(Contains(run.out, "\nwatermark-size/Watermark font size in points: *72 POINTS(1..500)\n"));
    EXPECT_TRUE(Contains(run.out, "\nbinding-gutter/Binding gutter: *0mm LENGTH(0mm..50mm)\n"));
    EXPECT_TRUE(Contains(run.out, "media/Media size: iso_a3_297x420mm iso_a4_210x297mm"));
    EXPECT_TRUE(Contains(run.out, "custom_WxHmm custom_WxHin\n"));

    CommandRun one = ListOptions({"poster"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, "poster: Poster sheets per page; accepted values: none 4 9 16 25; default: none\n");
    CommandRun unknown = ListOptions({"poster", "nosuch"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(Contains(unknown.err, "unknown option \"nosuch\""));
}

TEST(TicketCommand, TakesOptionsTheWayLpDoes)
{
    // Each form against the same settings given one by one.
    struct Case {
        std::vector<std::string> lpForm;
        std::vector<std::string> plainForm;
    };
    const Case cases[] = {
        {{"-o", "booklet=on mirror=width"}, {"-o", "booklet=on", "-o", "mirror=width"}},
        {{"-o", "booklet"}, {"-o", "booklet=on"}},
        {{"-o", "booklet nobooklet"}, {"-o", "booklet=off"}},
        {{"-o", "Booklet=On MEDIA=a4"}, {"-o", "booklet=on", "-o", "media=iso_a4_210x297mm"}},
        {{"-o", "watermark-text='Do not copy' transverse"},
         {"-o", "watermark-text=Do not copy", "-o", "transverse=on"}},
        {{"-o", "watermark-text=Do\\ not copy number-up=2"}, {"-o", "watermark-text=Do not copy", "-o", "number-up=2"}},
    };
    for (const Case& test : cases) {
        CommandRun lp = Ticket(test.lpForm);
        CommandRun plain = Ticket(test.plainForm);
        ASSERT_EQ(plain.status, 0) << plain.err;
        EXPECT_EQ(lp.status, 0) << test.lpForm[1] << ": " << lp.err;
        EXPECT_EQ(lp.out, plain.out) << test.lpForm[1];
    }
    // Quotes keep every blank.
    EXPECT_TRUE(Contains(Ticket({"-o", "watermark-text=\"A  B\""}).out, ">A  B<"));

    struct Refusal {
        const char* setting;
        const char* message;
    };
    const Refusal refusals[] = {
        {"bookelt", "unknown option \"bookelt\"; did you mean booklet?"},
        {"mirorr=width", "unknown option \"mirorr\"; did you mean mirror?"},
        {"booklet=on nosuchthing", "unknown option \"nosuchthing\"; tavpipe options lists them"},
        {"number-up", "number-up needs a value: -o number-up=VALUE"},
        {"nomedia", "unknown option \"nomedia\""},
    };
    for (const Refusal& test : refusals) {
        CommandRun run = Ticket({"-o", test.setting});
        EXPECT_EQ(run.status, 2) << test.setting;
        EXPECT_TRUE(Contains(run.err, test.message)) << run.err;
    }
}

TEST(OptionsCommand, SaysThatPageRangesCountInputPages)
{
    CommandRun run = ListOptions({"Page-Ranges"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Contains(run.out, "counts the pages of the input job")) << run.out;
    EXPECT_TRUE(Contains(ListOptions({}).out, "\npage-ranges/Input pages to print: *all ")) << run.out;
    CommandRun misspelt = ListOptions({"page-range"});
    EXPECT_EQ(misspelt.status, 2);
    EXPECT_TRUE(Contains(misspelt.err, "did you mean page-ranges?")) << misspelt.err;
}

}  // namespace
