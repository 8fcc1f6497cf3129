// tavhostbench [PAGES...]: for each page count (default 500 and 2000),
// generates a job of that many pages with tavjobgen, then measures
//   - copy:  reading the package and writing it again, no filters;
//   - chain: tavpipe with one pass-through filter;
//   - chain4: tavpipe with four pass-through filters;
// reporting pages per second and the peak resident memory of each run.
//
// Every measured run is a process of its own started from this small
// orchestrating one: Linux counts the parent's resident memory at fork into
// a child's peak, so the parent never holds a job itself.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "jobgen/job_spec.h"
#include "jobgen/package_writer.h"
#include "package/package_walker.h"
#include "package/package_writer.h"
#include "support/test_package.h"

// After the platform headers: <fcntl.h> defines LOCK_WRITE as a macro.
#include <fcntl.h>

using namespace tav::host;

namespace {

// A job from the project's generator: an embedded font, one image shared by
// every page, vector paths and a few hundred more elements per page, and a
// page ticket on every tenth page.
jobgen::JobSpec BenchJob(int pages)
{
    jobgen::JobSpec job = jobgen::MakeJob(1, pages);
    job.jobTicket = testing::SimpleTicket(1);
    job.images = jobgen::ImageResource::Shared;
    job.extraElements = 300;
    for (int i = 0; i < pages; i += 10) job.documents[0].pages[i].ticket = testing::SimpleTicket(i);
    return job;
}

double Seconds(std::chrono::steady_clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

void Copy(const std::string& input, const std::string& output)
{
    std::shared_ptr<Package> package = Package::Open(input, {}, std::make_shared<FailureLog>());
    PackageWalker walker(package);
    PackageWriter writer(open(output.c_str(), O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0644), package->Flavour());
    while (ComPtr<IUnknown> part = walker.Next()) {
        ComPtr<IXpsDocument> xps;
        ComPtr<IFixedDocumentSequence> sequence;
        ComPtr<IFixedDocument> document;
        ComPtr<IFixedPage> page;
        if (SUCCEEDED(part.As(IID_IXpsDocument, &xps))) {
            writer.AddXpsDocument(xps.Get());
        } else if (SUCCEEDED(part.As(IID_IFixedDocumentSequence, &sequence))) {
            writer.AddSequence(sequence.Get());
        } else if (SUCCEEDED(part.As(IID_IFixedDocument, &document))) {
            writer.AddDocument(document.Get());
        } else if (SUCCEEDED(part.As(IID_IFixedPage, &page))) {
            writer.AddPage(page.Get());
        } else {
            writer.AddOther(part.Get());
        }
    }
    writer.Finish();
}

struct ChildRun {
    int status = -1;
    long peakKilobytes = 0;
};

// Runs a command and reports its exit status and peak resident memory.
ChildRun RunChild(const std::vector<std::string>& arguments)
{
    pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

std::string Self()
{
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : "tavhostbench";
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 3 && arguments[0] == "generate") {
        jobgen::WriteXpsJob(BenchJob(std::atoi(arguments[1].c_str())), arguments[2]);
        return 0;
    }
    if (arguments.size() == 3 && arguments[0] == "copy") {
        Copy(arguments[1], arguments[2]);
        return 0;
    }
    std::vector<int> counts;
    for (const std::string& argument : arguments) counts.push_back(std::atoi(argument.c_str()));
    if (counts.empty()) counts = {500, 2000};
    std::string folder = testing::TemporaryFolder();
    std::string build = testing::BuildFolder();
    std::string config = folder + "/bench.conf";
    {
        std::ofstream out(config);
        for (const char* name : {"p1", "p2", "p3", "p4"}) {
            out << "[" << name << "]\nmodule = " << build
                << "/lib/libtavtestfilters.so\nclsid = {7E57F117-0001-4000-8000-000000000001}\n";
        }
    }
    std::string userTicket = folder + "/user.xml";
    std::ofstream(userTicket) << testing::SimpleTicket(1);

    std::printf("%7s %9s %10s %10s %10s %9s %9s %9s\n", "pages", "input MB", "copy p/s", "chain p/s", "chain4 p/s",
                "copy MB", "chain MB", "chain4 MB");
    for (int pages : counts) {
        std::string input = folder + "/job-" + std::to_string(pages) + ".xps";
        if (RunChild({Self(), "generate", std::to_string(pages), input}).status != 0) {
            std::fprintf(stderr, "cannot generate a job of %d pages\n", pages);
            return 1;
        }
        double inputMb = static_cast<double>(testing::ReadFile(input).size()) / (1 << 20);
        // Pages per second and peak megabytes of one run.
        auto measure = [&](const std::vector<std::string>& command, double* megabytes) {
            auto begin = std::chrono::steady_clock::now();
            ChildRun run = RunChild(command);
            double rate = pages / Seconds(std::chrono::steady_clock::now() - begin);
            if (run.status != 0) std::fprintf(stderr, "%s failed with status %d\n", command[0].c_str(), run.status);
            *megabytes = run.peakKilobytes / 1024.0;
            return rate;
        };
        auto chain = [&](const char* filters) {
            return std::vector<std::string>{
                build + "/bin/tavpipe", "-q", "--config", config, "--user-ticket", userTicket, "-f", filters, input,
                folder + "/out.xps"};
        };
        double copyMb = 0;
        double chainMb = 0;
        double chain4Mb = 0;
        double copy = measure({Self(), "copy", input, folder + "/copy.xps"}, &copyMb);
        double one = measure(chain("p1"), &chainMb);
        double four = measure(chain("p1,p2,p3,p4"), &chain4Mb);
        std::printf("%7d %9.1f %10.0f %10.0f %10.0f %9.1f %9.1f %9.1f\n", pages, inputMb, copy, one, four, copyMb,
                    chainMb, chain4Mb);
    }
    return 0;
}
