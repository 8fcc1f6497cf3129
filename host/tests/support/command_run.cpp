#include "support/command_run.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/test_package.h"

namespace tav::host::testing {

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CommandResult RunCommand(const std::string& command)
{
    static int counter = 0;
    std::string base = TemporaryFolder() + "/run" + std::to_string(++counter);
    int raw =
        std::system((command + " >" + Quote(base + ".out") + " 2>" + Quote(base + ".err") + " </dev/null").c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadFile(base + ".out");
    result.err = ReadFile(base + ".err");
    return result;
}

bool HaveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace tav::host::testing
