// tavmakejob: writes a generated XPS job for tests, demonstrations and
// benchmarks.
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "jobgen/job_spec.h"
#include "jobgen/package_writer.h"
#include "tavzip/archive_limits.h"
#include "tavzip/output_file.h"

namespace {

constexpr const char* kUsage =
    "usage: tavmakejob [options] output.xps   (- for standard output)\n"
    "  -d N       documents (default 1)\n"
    "  -n N       pages per document (default 4)\n"
    "  -s SIZES   page size, or a comma-separated list taken page by page in turn:\n"
    "             a4, letter, a4-landscape, letter-landscape or WIDTHxHEIGHT in 1/96 inch\n"
    "  -j FILE    job PrintTicket\n"
    "  -D FILE    PrintTicket of every document\n"
    "  -P FILE    PrintTicket of every page\n"
    "  -x         OpenXPS instead of XPS 2005/06\n"
    "  -f MODE    font: obfuscated (default), plain or none\n"
    "  -F FILE    TrueType font to embed instead of DejaVu Sans\n"
    "  -i MODE    images: none (default), page or shared\n"
    "  -V         no vector paths\n"
    "  -e N       extra elements per page (large pages)\n"
    "  -I         write pages and documents as interleaved pieces\n"
    "  -m         markup characters (& < > \") in attribute values and text\n"
    "  -t TURN    draw every page turned: 0, 90, 180 or 270, prefixed with m for mirrored\n"
    "  -v         print a summary when done\n"
    "  -h, --help this text; --version the version\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

int ParseCount(const char* text, const char* what, int low, int high)
{
    int value = 0;
    std::string_view view(text);
    auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || value < low || value > high)
        throw UsageError(std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'");
    return value;
}

std::vector<jobgen::PageSize> ParseSizes(std::string_view list)
{
    std::vector<jobgen::PageSize> sizes;
    while (true) {
        size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        auto size = jobgen::ParsePageSize(item);
        if (!size) throw UsageError("unknown or unusable page size '" + std::string(item) + "'");
        sizes.push_back(*size);
        if (comma == std::string_view::npos) return sizes;
        list.remove_prefix(comma + 1);
    }
}

struct Options {
    int documents = 1;
    int pages = 4;
    bool help = false;
    std::vector<jobgen::PageSize> sizes{jobgen::kA4};
    std::string jobTicket, documentTicket, pageTicket;
    bool verbose = false;
    std::string output;
};

void ApplyOptions(const Options& options, jobgen::JobSpec& job)
{
    auto ticket = [](const std::string& path) { return path.empty() ? std::string() : jobgen::ReadTextFile(path); };
    std::string documentTicket = ticket(options.documentTicket);
    std::string pageTicket = ticket(options.pageTicket);
    job.jobTicket = ticket(options.jobTicket);
    job.documents = jobgen::MakeJob(options.documents, options.pages).documents;
    size_t index = 0;
    for (jobgen::DocumentSpec& document : job.documents) {
        document.ticket = documentTicket;
        for (jobgen::PageSpec& page : document.pages) {
            page.size = options.sizes[index++ % options.sizes.size()];
            page.ticket = pageTicket;
        }
    }
}

jobgen::FontEmbedding ParseFont(std::string_view mode)
{
    if (mode == "obfuscated") return jobgen::FontEmbedding::Obfuscated;
    if (mode == "plain") return jobgen::FontEmbedding::Plain;
    if (mode == "none") return jobgen::FontEmbedding::None;
    throw UsageError("font mode must be obfuscated, plain or none, not '" + std::string(mode) + "'");
}

jobgen::ImageResource ParseImages(std::string_view mode)
{
    if (mode == "none") return jobgen::ImageResource::None;
    if (mode == "page") return jobgen::ImageResource::PerPage;
    if (mode == "shared") return jobgen::ImageResource::Shared;
    throw UsageError("image mode must be none, page or shared, not '" + std::string(mode) + "'");
}

// The most zip entries the job can have: each page's part (two pieces when
// interleaved), relationships, image and ticket, and each document's part,
// pieces, relationships and ticket. A job tavpipe would refuse is not made.
void CheckEntryCount(const Options& options, const jobgen::JobSpec& job)
{
    uint64_t perPage = 2 + (job.interleaved ? 2 : 0) + (job.images == jobgen::ImageResource::PerPage ? 1 : 0) +
                       (options.pageTicket.empty() ? 0 : 1);
    uint64_t perDocument = 3 + (job.interleaved ? 1 : 0);
    uint64_t pages = uint64_t(options.documents) * uint64_t(options.pages);
    uint64_t entries = pages * perPage + uint64_t(options.documents) * perDocument + 16;
    if (entries > tav::zip::kMaxReadEntries)
        throw UsageError("a job of " + std::to_string(pages) + " pages would have up to " + std::to_string(entries) +
                         " zip entries, more than tavpipe reads (" + std::to_string(tav::zip::kMaxReadEntries) +
                         "); make fewer pages or documents");
}

jobgen::JobSpec ParseCommandLine(int argc, char** argv, Options& options)
{
    jobgen::JobSpec job;
    int option;
    opterr = 0;
    while ((option = getopt(argc, argv, ":d:n:s:j:D:P:xf:F:i:Ve:Imt:vh")) != -1) {
        switch (option) {
        case 'd': options.documents = ParseCount(optarg, "-d", 1, 10000); break;
        case 'n': options.pages = ParseCount(optarg, "-n", 1, 100000); break;
        case 's': options.sizes = ParseSizes(optarg); break;
        case 'j': options.jobTicket = optarg; break;
        case 'D': options.documentTicket = optarg; break;
        case 'P': options.pageTicket = optarg; break;
        case 'x': job.flavour = jobgen::XpsFlavour::OpenXps; break;
        case 'f': job.font = ParseFont(optarg); break;
        case 'F': job.fontPath = optarg; break;
        case 'i': job.images = ParseImages(optarg); break;
        case 'V': job.vectorPaths = false; break;
        case 'e': job.extraElements = ParseCount(optarg, "-e", 0, jobgen::kMaxExtraElements); break;
        case 'I': job.interleaved = true; break;
        case 'm': job.markupCharacters = true; break;
        case 't': {
            auto orientation = jobgen::ParseOrientation(optarg);
            if (!orientation) throw UsageError(std::string("unknown turn '") + optarg + "'");
            job.contentOrientation = *orientation;
            break;
        }
        case 'v': options.verbose = true; break;
        case 'h': options.help = true; return job;
        case ':': throw UsageError(std::string("option -") + char(optopt) + " needs a value");
        default: throw UsageError(std::string("unknown option -") + char(optopt));
        }
    }
    if (optind + 1 != argc) throw UsageError("one output file is needed");
    options.output = argv[optind];
    CheckEntryCount(options, job);
    return job;
}

}  // namespace

int main(int argc, char** argv)
{
    tav::zip::RemoveTemporaryFilesOnSignals();
    signal(SIGPIPE, SIG_IGN);
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        if (std::string_view(argv[i]) == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::string_view(argv[i]) == "--version") {
            std::puts("tavmakejob 0.1");
            return 0;
        }
    }
    Options options;
    try {
        jobgen::JobSpec job = ParseCommandLine(argc, argv, options);
        if (options.help) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        ApplyOptions(options, job);
        bool terminal = isatty(STDERR_FILENO);
        jobgen::ProgressCallback progress;
        if (terminal) {
            progress = [](int written, int total) {
                if (written % 100 == 0 || written == total) std::fprintf(stderr, "\rpage %d of %d", written, total);
            };
        }
        jobgen::JobSummary summary = jobgen::WriteXpsJob(job, options.output, progress);
        if (terminal) std::fputc('\n', stderr);
        // A job written to standard output keeps the summary out of it.
        if (options.verbose)
            std::fprintf(options.output == "-" ? stderr : stdout,
                         "%s: %d documents, %d pages, %zu zip entries, %llu bytes\n", options.output.c_str(),
                         summary.documents, summary.pages, summary.zipEntries,
                         static_cast<unsigned long long>(summary.bytes));
        return 0;
    } catch (const UsageError& error) {
        std::fprintf(stderr, "tavmakejob: %s\n%s", error.what(), kUsage);
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "\ntavmakejob: %s\n", error.what());
        return 1;
    }
}
