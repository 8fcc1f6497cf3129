// tavmanualduplex LANGUAGE FILE-LIST: the manual duplex program the rip
// filter starts (through the print UI host) once the first pass of a manual
// two-sided job is out. It lists the second-pass files the list names
// (section "FileList", keys 1, 2, ...), asks the user on the terminal to
// turn the printed paper over and press Enter, and exits; without a
// terminal it says what to do and exits at once. Messages go to the
// terminal or standard error, never to standard output, which may carry a
// printer stream. The language identifier is taken; the messages are
// English.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

// A list longer than this is no list the rip filter wrote.
constexpr std::streamsize kMaxListBytes = 1 << 20;

// The values of the FileList section by their keys' numbers; false with
// *failure when the file cannot be read or is not such a list.
bool ReadFileList(const char* path, std::map<long, std::string>* files, std::string* failure)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *failure = std::string(path) + ": the file list cannot be opened";
        return false;
    }
    std::string text(static_cast<size_t>(kMaxListBytes) + 1, '\0');
    in.read(text.data(), kMaxListBytes + 1);
    if (in.gcount() > kMaxListBytes) {
        *failure = std::string(path) + ": the file list is larger than 1 MiB";
        return false;
    }
    text.resize(static_cast<size_t>(in.gcount()));
    bool inSection = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            inSection = line == "[FileList]";
            continue;
        }
        size_t equals = line.find('=');
        if (!inSection || equals == std::string::npos || equals == 0 || equals > 9 ||
            line.find_first_not_of("0123456789") != equals)
            continue;
        (*files)[std::stol(line.substr(0, equals))] = line.substr(equals + 1);
    }
    if (files->empty()) {
        *failure = std::string(path) + ": the file list names no files";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavmanualduplex LANGUAGE FILE-LIST\n");
        return 2;
    }
    std::map<long, std::string> files;
    std::string failure;
    if (!ReadFileList(argv[2], &files, &failure)) {
        std::fprintf(stderr, "tavmanualduplex: %s\n", failure.c_str());
        return 1;
    }
    // The terminal the user sits at, whatever the standard streams are.
    int terminal = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    FILE* out = terminal >= 0 ? fdopen(terminal, "r+") : stderr;
    if (out == nullptr) out = stderr;
    std::fprintf(out, "tavmanualduplex: the second pass of the two-sided job is %zu file%s (list %s, language %s):\n",
                 files.size(), files.size() == 1 ? "" : "s", argv[2], argv[1]);
    for (const auto& [number, path] : files) std::fprintf(out, "  %ld %s\n", number, path.c_str());
    if (out == stderr) {
        std::fprintf(out,
                     "tavmanualduplex: there is no terminal to wait on: turn the printed paper over, put it back "
                     "and print these files\n");
        return 0;
    }
    std::fprintf(out, "Turn the printed paper over, put it back in the tray and press Enter to go on. ");
    std::fflush(out);
    for (int c = std::fgetc(out); c != EOF && c != '\n'; c = std::fgetc(out)) {
    }
    std::fprintf(out, "tavmanualduplex: print the files above for the second side\n");
    std::fclose(out);
    return 0;
}
