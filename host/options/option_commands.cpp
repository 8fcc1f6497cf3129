#include "option_commands.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>

#include "job_options.h"
#include "option_settings.h"
#include "xml_input.h"

namespace {

constexpr int kUsageError = 2;

constexpr char kTicketUsage[] = "usage: tavpipe ticket [-o NAME=VALUE]... [--ticket FILE]\n";
constexpr char kOptionsUsage[] = "usage: tavpipe options [NAME]...\n";

bool ReadTicketFile(const std::string& path, std::string* text, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = std::string("cannot read it: ") + std::strerror(errno);
        return false;
    }
    std::string content;
    char block[65536];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
        content.append(block, static_cast<size_t>(file.gcount()));
        if (content.size() > tav::options::kMaxTicketBytes) {
            *error = "the ticket is larger than " + std::to_string(tav::options::kMaxTicketBytes >> 20) + " MiB";
            return false;
        }
    }
    if (file.bad()) {
        *error = "cannot read it";
        return false;
    }
    *text = std::move(content);
    return true;
}

struct TicketArguments {
    std::vector<std::pair<std::string, std::string>> options;
    std::string ticketFile;
    bool help = false;
};

bool AddOption(const std::string& setting, TicketArguments* parsed, std::string* error)
{
    return tav::options::SplitOptionSettings(setting, &parsed->options, error);
}

bool ParseTicketArguments(const std::vector<std::string>& arguments, TicketArguments* parsed, std::string* error)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        bool hasNext = i + 1 < arguments.size();
        if (argument == "-h" || argument == "--help") {
            parsed->help = true;
        } else if (argument == "-o" && hasNext) {
            if (!AddOption(arguments[++i], parsed, error)) return false;
        } else if (argument.starts_with("-o") && argument.size() > 2) {
            if (!AddOption(argument.substr(2), parsed, error)) return false;
        } else if (argument == "--ticket" && hasNext) {
            parsed->ticketFile = arguments[++i];
        } else if (argument.starts_with("--ticket=")) {
            parsed->ticketFile = argument.substr(9);
        } else if (argument == "-o" || argument == "--ticket") {
            *error = argument + " needs a value";
            return false;
        } else {
            *error = "unknown argument \"" + argument + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace

int RunTicketCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    TicketArguments parsed;
    std::string error;
    if (!ParseTicketArguments(arguments, &parsed, &error)) {
        err << "tavpipe ticket: " << error << "\n" << kTicketUsage;
        return kUsageError;
    }
    if (parsed.help) {
        out << kTicketUsage;
        return 0;
    }
    std::string base;
    std::string ticket;
    std::vector<std::string> warnings;
    if (!parsed.ticketFile.empty()) {
        // The file is checked alone first, so that its faults name it.
        if (!ReadTicketFile(parsed.ticketFile, &base, &error) || !BuildJobTicket({}, base, &ticket, nullptr, &error)) {
            err << "tavpipe ticket: " << parsed.ticketFile << ": " << error << "\n";
            return kUsageError;
        }
    }
    if (!BuildJobTicket(parsed.options, base, &ticket, &warnings, &error)) {
        err << "tavpipe ticket: " << error << "\n";
        return kUsageError;
    }
    for (const std::string& warning : warnings) err << "tavpipe ticket: warning: " << warning << "\n";
    out << ticket;
    return 0;
}

int RunOptionsCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty()) {
        out << ListJobOptions();
        return 0;
    }
    std::string descriptions;
    for (const std::string& name : arguments) {
        if (name == "-h" || name == "--help") {
            out << kOptionsUsage;
            return 0;
        }
        std::string description = DescribeJobOption(name);
        if (description.empty()) {
            err << "tavpipe options: unknown option \"" << name << "\"" << tav::options::OptionSuggestion(name) << "\n";
            return kUsageError;
        }
        descriptions += description + "\n";
    }
    out << descriptions;
    return 0;
}
