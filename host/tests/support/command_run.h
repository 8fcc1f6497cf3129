// Running programs from the tests through the shell: tavpipe, tavmakejob and
// the renderers, with what they printed and their exit status.
#pragma once

#include <string>

namespace tav::host::testing {

struct CommandResult {
    int status = -1;  // the exit status; -1 when a signal ended the command
    std::string out;
    std::string err;
};

// text in single quotes, for a shell command line.
std::string Quote(const std::string& text);

// Runs command through the shell with no standard input.
CommandResult RunCommand(const std::string& command);

// Whether the program is on the PATH.
bool HaveTool(const char* tool);

}  // namespace tav::host::testing
