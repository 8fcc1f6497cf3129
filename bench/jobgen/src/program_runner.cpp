#include "jobgen/program_runner.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace jobgen {

std::string FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string_view directories = path ? path : "/usr/bin:/bin";
    while (!directories.empty()) {
        size_t colon = directories.find(':');
        std::string_view directory = directories.substr(0, colon);
        directories = colon == std::string_view::npos ? std::string_view() : directories.substr(colon + 1);
        if (directory.empty()) continue;
        std::string candidate = std::string(directory) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0 && std::filesystem::is_regular_file(candidate)) return candidate;
    }
    return {};
}

namespace {

// Closes a pipe end when the call that owns it returns by any path.
struct Descriptor {
    int fd = -1;
    ~Descriptor() { Close(); }
    void Close()
    {
        if (fd >= 0) close(fd);
        fd = -1;
    }
};

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv)
{
    if (argv.empty()) throw std::invalid_argument("no program to run");
    std::vector<char*> arguments;
    for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
    Descriptor readEnd{ends[0]}, writeEnd{ends[1]};

    SpawnActions spawn;
    posix_spawn_file_actions_addopen(&spawn.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, writeEnd.fd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&spawn.actions, writeEnd.fd, STDERR_FILENO);
    pid_t child = 0;
    int error = posix_spawnp(&child, arguments[0], &spawn.actions, nullptr, arguments.data(), environ);
    if (error != 0) throw std::runtime_error(argv[0] + ": cannot start: " + std::strerror(error));
    writeEnd.Close();

    ProgramResult result;
    char buffer[4096];
    for (;;) {
        ssize_t got = read(readEnd.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        size_t room = kMaxOutput - result.output.size();
        result.output.append(buffer, std::min(room, static_cast<size_t>(got)));
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error(argv[0] + ": lost track of the process");
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

namespace {

// The page number N of a file named "page-N.png", or 0.
int RenderedPageNumber(const std::filesystem::path& file)
{
    std::string name = file.filename().string();
    if (!name.starts_with("page-") || !name.ends_with(".png")) return 0;
    std::string_view digits = std::string_view(name).substr(5, name.size() - 9);
    int number = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return error == std::errc() && end == digits.data() + digits.size() ? number : 0;
}

std::vector<std::pair<int, std::string>> RenderedPages(const std::string& directory)
{
    std::vector<std::pair<int, std::string>> pages;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (int number = RenderedPageNumber(entry.path()); number > 0)
            pages.emplace_back(number, entry.path().string());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

}  // namespace

std::vector<std::string> RenderWithMutool(const std::string& package, int dpi, const std::string& directory,
                                          const std::string& pageList)
{
    std::filesystem::create_directories(directory);
    // Pages left from an earlier render would be taken for this one's.
    for (const auto& [number, path] : RenderedPages(directory)) std::filesystem::remove(path);

    std::vector<std::string> command{
        "mutool", "draw", "-q", "-r", std::to_string(dpi), "-o", directory + "/page-%d.png", package};
    if (!pageList.empty()) command.push_back(pageList);
    ProgramResult draw = RunProgram(command);
    bool reportedError = draw.output.starts_with("error:") || draw.output.find("\nerror:") != std::string::npos;
    if (draw.exitStatus != 0 || reportedError)
        throw std::runtime_error("mutool draw " + package + " failed (status " + std::to_string(draw.exitStatus) +
                                 "): " + draw.output);
    std::vector<std::string> pages;
    for (auto& [number, path] : RenderedPages(directory)) pages.push_back(std::move(path));
    if (pages.empty()) throw std::runtime_error("mutool draw " + package + " wrote no page: " + draw.output);
    return pages;
}

std::vector<RgbImage> RenderPages(const std::string& package, int dpi)
{
    // A folder of this call's own: tests running at the same time render
    // the same packages, and a package's own folder may not be writable.
    std::string pattern = (std::filesystem::temp_directory_path() / "jobgen-render-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a folder for the renders of " + package);
    std::vector<RgbImage> pages;
    try {
        for (const std::string& png : RenderWithMutool(package, dpi, pattern)) pages.push_back(ReadPngFile(png));
    } catch (...) {
        std::filesystem::remove_all(pattern);
        throw;
    }
    std::filesystem::remove_all(pattern);
    return pages;
}

}  // namespace jobgen
