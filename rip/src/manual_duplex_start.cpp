#include "manual_duplex_start.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "manual_duplex_request.h"
#include "module_folder.h"
#include "platform/base.h"
#include "platform/wformat.h"

extern char** environ;

namespace {

// The string up to its terminator, read no further than an argument string
// can be long and one more, to tell a longer one.
std::u16string_view Bounded(const WCHAR* text)
{
    size_t length = 0;
    while (length <= tav::rip::kMaxManualDuplexArguments && text[length] != 0) ++length;
    return std::u16string_view(text, length);
}

void Say(std::string* failure, std::string text)
{
    if (failure != nullptr) *failure = std::move(text);
}

}  // namespace

void RunManualDuplexProgram(const WCHAR* arguments, std::string* failure)
{
    if (arguments == nullptr) return Say(failure, "no arguments");
    std::u16string_view text = Bounded(arguments);
    if (text.size() > tav::rip::kMaxManualDuplexArguments)
        return Say(failure, "the arguments are longer than " + std::to_string(tav::rip::kMaxManualDuplexArguments) +
                                " characters");
    std::optional<tav::rip::ManualDuplexCall> call = tav::rip::ParseManualDuplexArguments(text);
    if (!call)
        return Say(failure, "the arguments \"" + WideToUtf8(std::u16string(text)) + "\" name no program and list");
    // The program lies beside this module; a name with a folder would
    // reach out of it.
    if (call->program.find(u'/') != std::u16string::npos)
        return Say(failure, "the program name " + WideToUtf8(call->program) + " is not a file name");

    const std::string program = WideToUtf8(OwnModuleFolder() + call->program);
    const std::string language = std::to_string(GetSystemDefaultLangID());
    const std::string list = WideToUtf8(call->listPath);
    // The command line "%d %s": the language and the list, each one argument.
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(language.c_str()),
                               const_cast<char*>(list.c_str()), nullptr};
    pid_t child = 0;
    int started = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (started != 0) return Say(failure, "the program " + program + " cannot be started: " + std::strerror(started));
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}
