// tavpipe and tavmakejob as people use print tools from a shell: outputs
// that are no regular file, "-" for standard input and output, signals,
// lp-style options, page ranges and the messages a user acts on. Every case
// runs the real programs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "jobgen/package_writer.h"
#include "jobgen/page_decoder.h"
#include "jobgen/program_runner.h"
#include "jobgen/require_program.h"
#include "support/command_run.h"
#include "support/test_package.h"

namespace {

using Result = tav::host::testing::CommandResult;
using tav::host::testing::BuildFolder;
using tav::host::testing::Quote;
using tav::host::testing::ReadFile;
using tav::host::testing::ZipItemNames;

// A fresh folder for one test.
std::string Folder(const std::string& name)
{
    std::string folder = tav::host::testing::TemporaryFolder() + "/cli-" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Runs a shell command line; "tavpipe" and "tavmakejob" in it are the built programs.
Result Shell(const std::string& folder, const std::string& command)
{
    std::string line = "cd " + Quote(folder) + " && tavpipe() { " + Quote(BuildFolder() + "/bin/tavpipe") +
                       " \"$@\"; } && tavmakejob() { " + Quote(BuildFolder() + "/bin/tavmakejob") + " \"$@\"; } && { " +
                       command + "; } >.out 2>.err";
    int raw = std::system(("sh -c " + Quote(line) + " </dev/null").c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadFile(folder + "/.out");
    result.err = ReadFile(folder + "/.err");
    return result;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The files of a folder other than the captured output.
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name != ".out" && name != ".err") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A generated job whose pages carry their numbers; no font, for speed.
void MakeJob(const std::string& path, int documents, int pages,
             jobgen::ImageResource images = jobgen::ImageResource::None)
{
    jobgen::JobSpec job = jobgen::MakeJob(documents, pages);
    job.font = jobgen::FontEmbedding::None;
    job.images = images;
    jobgen::WriteXpsJob(job, path);
}

// The job page numbers a package's pages show, rendered by MuPDF.
std::vector<int> RenderedPageNumbers(const std::string& package, const std::string& folder)
{
    std::vector<int> numbers;
    for (const std::string& png : jobgen::RenderWithMutool(package, 20, folder + "/render")) {
        jobgen::RgbImage raster = jobgen::ReadPngFile(png);
        numbers.push_back(jobgen::DecodePageNumber(raster, jobgen::WholeRasterFrame(raster, jobgen::kA4)));
    }
    return numbers;
}

std::string PageCountLine(int pages) { return "1 document, " + std::to_string(pages) + " pages"; }

TEST(CommandLineOutput, DevicesAndFifosAreWrittenStraightAndLinksToTheirTargets)
{
    std::string folder = Folder("targets");
    MakeJob(folder + "/in.xps", 1, 3);
    // Device nodes of our own with the numbers of the null and the full device.
    if (mknod((folder + "/null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "making device nodes needs root";
    }
    ASSERT_EQ(mknod((folder + "/full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    ASSERT_EQ(mkfifo((folder + "/fifo").c_str(), 0666), 0);
    std::ofstream(folder + "/target.xps") << "old";
    std::filesystem::create_symlink("target.xps", folder + "/link.xps");

    Result null = Shell(folder, "tavpipe -f order in.xps null");
    EXPECT_EQ(null.status, 0) << null.err;
    Result full = Shell(folder, "tavpipe -f order in.xps full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "tavpipe: full: cannot write the output: No space left on device\n");
    for (const char* device : {"/null", "/full"}) {
        struct stat info;
        ASSERT_EQ(stat((folder + device).c_str(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode)) << device << " was replaced";
    }

    // The reader of the FIFO receives the whole package.
    Result fifo =
        Shell(folder, "cat fifo > received.xps & tavpipe -f order in.xps fifo; status=$?; wait; exit $status");
    EXPECT_EQ(fifo.status, 0) << fifo.err;
    EXPECT_TRUE(std::filesystem::is_fifo(folder + "/fifo"));
    EXPECT_TRUE(Contains(Shell(folder, "tavpipe info received.xps").out, PageCountLine(3)));

    Result link = Shell(folder, "tavpipe -f order in.xps link.xps");
    EXPECT_EQ(link.status, 0) << link.err;
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/link.xps"));
    EXPECT_TRUE(Contains(Shell(folder, "tavpipe info target.xps").out, PageCountLine(3)));
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{"fifo", "full", "in.xps", "link.xps", "null", "received.xps", "target.xps"}));
}

TEST(CommandLineOutput, ADashIsStandardInputAndOutputOfBothPrograms)
{
    std::string folder = Folder("dash");
    Result piped = Shell(folder, "tavmakejob -n 5 -f none - | tavpipe -f order - - | tavpipe info -");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_TRUE(Contains(piped.out, "standard input: XPS package")) << piped.out;
    EXPECT_TRUE(Contains(piped.out, PageCountLine(5))) << piped.out;
    EXPECT_EQ(Names(folder), std::vector<std::string>{}) << "no file named -";

    Result notXps = Shell(folder, "echo hello | tavpipe - out.xps");
    EXPECT_EQ(notXps.status, 3);
    EXPECT_TRUE(notXps.err.starts_with("tavpipe: standard input: ")) << notXps.err;
}

TEST(CommandLineOutput, FoldersAndUnwritableTracesAreRefusedBeforeTheJob)
{
    std::string folder = Folder("refused");
    std::filesystem::create_directories(folder + "/sub");
    std::ofstream(folder + "/in.xps") << "not even a zip";
    // The input is not read: the output is refused first.
    for (const char* output : {"sub", "sub/", "."}) {
        Result run = Shell(folder, std::string("tavpipe -f order in.xps ") + output);
        EXPECT_EQ(run.status, 1) << output;
        EXPECT_EQ(run.err, std::string("tavpipe: ") + output + ": the output is a folder\n");
    }
    Result trace = Shell(folder, "tavpipe --trace /nonexistent/t.log -f order in.xps out.xps");
    EXPECT_EQ(trace.status, 2);
    EXPECT_EQ(trace.err, "tavpipe: /nonexistent/t.log: cannot create the trace file: No such file or directory\n");
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"in.xps", "sub"}));
}

// tavpipe started with a standard input that stays open: it has made its
// temporary output and waits for the job.
TEST(CommandLineOutput, ASignalRemovesTheTemporaryFileAndSetsTheStatus)
{
    std::string folder = Folder("signals");
    const std::pair<int, int> cases[] = {{SIGTERM, 143}, {SIGINT, 130}, {SIGHUP, 129}};
    for (auto [signalNumber, status] : cases) {
        int input[2];
        ASSERT_EQ(pipe(input), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(input[0], STDIN_FILENO);
            close(input[1]);
            std::string program = BuildFolder() + "/bin/tavpipe";
            std::string output = folder + "/out.xps";
            execl(program.c_str(), program.c_str(), "-f", "order", "-", output.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(input[0]);
        bool started = false;
        for (int wait = 0; wait < 3000 && !started; ++wait) {
            started = !Names(folder).empty();
            if (!started) usleep(10000);
        }
        ASSERT_TRUE(started) << "no temporary file appeared";
        EXPECT_TRUE(Names(folder)[0].starts_with(".out.xps.tavpipe-"));
        kill(child, signalNumber);
        int raw = 0;
        waitpid(child, &raw, 0);
        close(input[1]);
        EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == status) << "signal " << signalNumber;
        EXPECT_EQ(Names(folder), std::vector<std::string>{}) << "signal " << signalNumber;
    }
}

TEST(CommandLineOptions, LpFormsActOnTheJob)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    std::string folder = Folder("lp");
    MakeJob(folder + "/in.xps", 1, 4);
    const std::vector<int> booklet = {4, 1, 2, 3};  // the booklet order of four pages, by hand
    const std::vector<int> plain = {1, 2, 3, 4};
    const std::pair<const char*, const std::vector<int>*> cases[] = {
        {"-o 'booklet=on mirror=none'", &booklet},
        {"-o booklet", &booklet},
        {"-o Booklet=On", &booklet},
        {"-o booklet -o nobooklet", &plain},
    };
    for (auto [options, expected] : cases) {
        Result run = Shell(folder, std::string("tavpipe -f order ") + options + " in.xps out.xps");
        ASSERT_EQ(run.status, 0) << options << ": " << run.err;
        EXPECT_EQ(RenderedPageNumbers(folder + "/out.xps", folder), *expected) << options;
    }
    Result misspelt = Shell(folder, "tavpipe -f order -o bookelt in.xps out.xps");
    EXPECT_EQ(misspelt.status, 2);
    EXPECT_TRUE(misspelt.err.starts_with("tavpipe: unknown option \"bookelt\"; did you mean booklet?\n"))
        << misspelt.err;

    // Options no filter of the chain reads, and options of filters that
    // pass pages through so far.
    Result unread = Shell(folder, "tavpipe -f finisher -o number-up=4 -o mirror=width in.xps out.xps");
    EXPECT_EQ(unread.status, 0) << unread.err;
    EXPECT_EQ(unread.err,
              "tavpipe: warning: number-up has no effect: no filter of the chain (finisher) reads it; "
              "layout does\n");
    Result applied = Shell(folder,
                           "tavpipe -o watermark-text=Draft -o watermark-size=40 -o header-footer-id=user "
                           "in.xps out.xps");
    EXPECT_EQ(applied.status, 0) << applied.err;
    // (The sanitizer build adds its leak checker's summary to the output.)
    EXPECT_EQ(applied.err.find("warning"), std::string::npos) << applied.err;
    // The layout filter tiles posters and shifts sides by the binding
    // gutter: no warning.
    Result layout = Shell(folder, "tavpipe -f layout -o poster=4 -o binding-gutter=10mm in.xps out.xps");
    EXPECT_EQ(layout.status, 0) << layout.err;
    EXPECT_EQ(layout.err.find("warning"), std::string::npos) << layout.err;
}

TEST(CommandLineOptions, PageRangesChooseInputPagesAndOnlyTheirResources)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    std::string folder = Folder("ranges");
    MakeJob(folder + "/in.xps", 2, 5, jobgen::ImageResource::PerPage);
    // Pages count across the two documents; the second document starts at 6.
    Result run = Shell(folder, "tavpipe -f order -o page-ranges=8-9,2-3,3 in.xps out.xps");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(RenderedPageNumbers(folder + "/out.xps", folder), (std::vector<int>{2, 3, 8, 9}));
    std::vector<std::string> items = ZipItemNames(folder + "/out.xps");
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const std::string& item) { return item.ends_with(".png"); }),
              4);

    Result firstDocumentOnly =
        Shell(folder, "tavpipe -f order -o page-ranges=5 in.xps one.xps && tavpipe info one.xps");
    EXPECT_EQ(firstDocumentOnly.status, 0) << firstDocumentOnly.err;
    EXPECT_TRUE(Contains(firstDocumentOnly.out, "1 document, 1 page,")) << firstDocumentOnly.out;

    // Pages left out are not read: a fault of page 4 stops only a job that
    // prints it.
    Result damaged = Shell(folder,
                           "cp in.xps damaged.xps && zip -q -d damaged.xps Resources/Images/Page4.png && "
                           "tavpipe -f order -o page-ranges=1-3,5- damaged.xps d.xps");
    EXPECT_EQ(damaged.status, 0) << damaged.err;
    EXPECT_EQ(Shell(folder, "tavpipe -f order -o page-ranges=4 damaged.xps d.xps").status, 3);

    Result none = Shell(folder, "tavpipe -f order -o page-ranges=11- in.xps none.xps");
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "tavpipe: page-ranges: none of the job's 10 pages is selected\n");
    Result bad = Shell(folder, "tavpipe -f order -o page-ranges=4-2 in.xps none.xps");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "tavpipe: page-ranges: \"4-2\" ends before it starts\n");
}

TEST(CommandLineMessages, SayWhatIsWrongWithEachFile)
{
    std::string folder = Folder("messages");
    MakeJob(folder + "/in.xps", 1, 1);
    std::ofstream(folder + "/text.xml") << "<Device>\n<unclosed>\n</Device>\n";
    std::ofstream(folder + "/other.xml") << "<?xml version=\"1.0\"?>\n<Printer/>\n";
    std::ofstream(folder + "/empty.xml") << "<Device xmlns=\"http://schemas.tavprint.example/tav/2026/device\"/>";
    std::ofstream(folder + "/doc.pdf") << "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n1 0 obj\n";
    std::ofstream(folder + "/doc.ps") << "%!PS-Adobe-3.0\n%%Pages: 1\n";
    const std::pair<const char*, const char*> cases[] = {
        {"--device nosuch.xml in.xps out.xps",
         "tavpipe: nosuch.xml: cannot read the device description: No such file or directory\n"},
        {"--device text.xml in.xps out.xps",
         "tavpipe: text.xml: not a device description (not well-formed XML): line 3: "},
        {"--device other.xml in.xps out.xps",
         "tavpipe: other.xml: not a device description: line 2: the root "
         "element is not a Device in "},
        {"--device empty.xml in.xps out.xps", "tavpipe: empty.xml: not a valid device description (devices/README.md "},
        {"--ticket nosuch.xml in.xps out.xps",
         "tavpipe: nosuch.xml: cannot read the ticket: No such file or directory\n"},
        {"doc.pdf out.xps", "tavpipe: doc.pdf: a PDF document; tavpipe reads XPS and OpenXPS packages\n"},
        {"doc.ps out.xps", "tavpipe: doc.ps: a PostScript document; tavpipe reads XPS and OpenXPS packages\n"},
    };
    for (auto [arguments, message] : cases) {
        Result run = Shell(folder, std::string("tavpipe -f order ") + arguments);
        EXPECT_NE(run.status, 0) << arguments;
        EXPECT_TRUE(run.err.starts_with(message)) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    // A rip filter whose printer-driver directory holds no converter.
    Result rip = Shell(folder, "tavpipe -f rip --driver-dir nowhere in.xps out.xps");
    EXPECT_EQ(rip.status, 1);
    EXPECT_EQ(std::count(rip.err.begin(), rip.err.end(), '\n'), 1) << rip.err;
    EXPECT_TRUE(Contains(rip.err, "nowhere/3/libpcorectl.so")) << rip.err;
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{"doc.pdf", "doc.ps", "empty.xml", "in.xps", "other.xml", "text.xml"}));
}

TEST(CommandLineMessages, TavmakejobHelps)
{
    std::string folder = Folder("makejob");
    for (const char* help : {"-h", "--help"}) {
        Result run = Shell(folder, std::string("tavmakejob ") + help);
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.out.starts_with("usage: tavmakejob")) << run.out;
    }
    EXPECT_EQ(Shell(folder, "tavmakejob --version").out, "tavmakejob 0.1\n");
    EXPECT_EQ(Names(folder), std::vector<std::string>{});
}

TEST(CommandLineMessages, ProgressOnATerminalAndInfoInUnitsAndOptionNames)
{
    if (jobgen::FindProgram("script").empty()) GTEST_SKIP() << "script (bsdutils) is not installed";
    std::string folder = Folder("progress");
    // A container without /dev/pts gives script no pseudo-terminal.
    if (Shell(folder, "script -qec true /dev/null").status != 0)
        GTEST_SKIP() << "script cannot make a pseudo-terminal here (is /dev/pts mounted?)";
    jobgen::JobSpec job = jobgen::MakeJob(1, 3);
    job.font = jobgen::FontEmbedding::None;
    for (jobgen::PageSpec& page : job.documents[0].pages) page.size = jobgen::kLetter;
    jobgen::WriteXpsJob(job, folder + "/in.xps");
    // script gives tavpipe a terminal for its standard error.
    Result shown = Shell(folder, "script -qec \"" + BuildFolder() + "/bin/tavpipe -f order in.xps out.xps\" /dev/null");
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.out, "tavpipe: 3 of 3 pages read, 3 written")) << shown.out;
    Result quiet =
        Shell(folder, "script -qec \"" + BuildFolder() + "/bin/tavpipe -q -f order in.xps out.xps\" /dev/null");
    EXPECT_EQ(quiet.out, "");

    Result set = Shell(folder,
                       "tavpipe -f order -o 'sides=two-sided-long-edge media=a4 number-up=2' in.xps out.xps "
                       "&& tavpipe info out.xps");
    ASSERT_EQ(set.status, 0) << set.err;
    // A letter page is 816 x 1056 units of 1/96 inch: 8.5 x 11 in, 215.9 x 279.4 mm.
    EXPECT_TRUE(Contains(set.out, ", 816 x 1056 (215.9 x 279.4 mm, 8.50 x 11.00 in), no ticket\n")) << set.out;
    for (const char* setting : {"media=iso_a4_210x297mm", "sides=two-sided-long-edge", "number-up=2"}) {
        EXPECT_TRUE(Contains(set.out.substr(0, set.out.find('\n', set.out.find("sequence "))), setting))
            << setting << " in " << set.out;
    }
}

}  // namespace
