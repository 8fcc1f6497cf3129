// tavmakejob run as a user would: the package it writes, and its errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "jobgen/program_runner.h"
#include "test_support.h"

namespace jobgen {
namespace {

using namespace jobgen::testing;

std::string Tool() { return TAVMAKEJOB_PATH; }

TEST(Tavmakejob, WritesTheDocumentsPagesSizesAndTicketAskedFor)
{
    TempDir dir;
    std::string ticket =
        "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/"
        "printschemaframework\" version=\"1\"/>";
    std::ofstream(dir.File("job.xml")) << ticket;
    ProgramResult run = RunProgram({Tool(), "-x", "-d", "2", "-n", "3", "-s", "a4,letter-landscape", "-j",
                                    dir.File("job.xml"), "-i", "page", dir.File("out.oxps")});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(run.output, "");  // quiet when not on a terminal

    ZipPackage package(dir.File("out.oxps"));
    XmlDoc sequence = ParseXml(package.Part("/FixedDocumentSequence.fdseq"));
    ASSERT_TRUE(sequence);
    EXPECT_EQ(Namespace(xmlDocGetRootElement(sequence.get())), "http://schemas.openxps.org/oxps/v1.0");
    std::vector<Relationship> jobRelationships = RelationshipsOf(package, "/FixedDocumentSequence.fdseq");
    ASSERT_EQ(jobRelationships.size(), 1u);
    EXPECT_EQ(jobRelationships[0].type, "http://schemas.openxps.org/oxps/v1.0/printticket");
    EXPECT_EQ(package.Part(jobRelationships[0].target), ticket);
    // The sizes alternate across the six pages of both documents.
    const char* expectedWidths[] = {"794", "1056", "794", "1056", "794", "1056"};
    int page = 0;
    for (int d = 1; d <= 2; ++d) {
        for (int p = 1; p <= 3; ++p, ++page) {
            std::string name = "/Documents/" + std::to_string(d) + "/Pages/" + std::to_string(p) + ".fpage";
            XmlDoc markup = ParseXml(package.Part(name));
            ASSERT_TRUE(markup) << name;
            EXPECT_EQ(Attribute(xmlDocGetRootElement(markup.get()), "Width"), expectedWidths[page]) << name;
        }
    }
    EXPECT_FALSE(package.HasPart("/Documents/3/FixedDocument.fdoc"));
}

TEST(Tavmakejob, BadOptionsAndMissingFilesFailClearlyWithoutOutput)
{
    TempDir dir;
    std::string out = dir.File("out.xps");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    } cases[] = {
        {{"-n", "0", out}, 2, "-n must be a whole number"},
        {{"-n", "3x", out}, 2, "-n must be a whole number"},
        {{"-s", "a4,b7", out}, 2, "unknown or unusable page size 'b7'"},
        {{"-t", "45", out}, 2, "unknown turn"},
        {{"-q", out}, 2, "unknown option -q"},
        {{"-f", "bold", out}, 2, "font mode must be obfuscated, plain or none"},
        {{out, "-f"}, 2, "option -f needs a value"},
        {{}, 2, "one output file is needed"},
        // Two entries a page: more than the 500,000 entries tavpipe reads.
        {{"-d", "10000", "-n", "100000", out}, 2, "more than tavpipe reads (500000)"},
        {{"-d", "3", "-n", "100000", out}, 2, "more than tavpipe reads (500000)"},
        {{"-j", dir.File("absent.xml"), out}, 1, "absent.xml"},
        {{"-F", dir.File("absent.ttf"), out}, 1, "absent.ttf"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{Tool()};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        ProgramResult run = RunProgram(argv);
        EXPECT_EQ(run.exitStatus, c.status) << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
}  // namespace jobgen
