#include "cli/command_line.h"

#include <charconv>

#include "chain/pipeline_config.h"
#include "option_settings.h"

namespace tav::host {
namespace {

std::pair<std::string, std::string> SplitSetting(const std::string& option, const std::string& text)
{
    size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        throw UsageError(option + " takes NAME=VALUE, not \"" + text + "\"");
    }
    return {text.substr(0, equals), text.substr(equals + 1)};
}

uint32_t ParseJobId(const std::string& text)
{
    uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw UsageError("--job-id takes a number from 0 to 4294967295, not \"" + text + "\"");
    }
    return value;
}

}  // namespace

std::string UsageText()
{
    return "usage: tavpipe [options] INPUT OUTPUT\n"
           "       tavpipe info INPUT\n"
           "       tavpipe preview [options] INPUT FOLDER\n"
           "       tavpipe ticket [-o NAME=VALUE]... [--ticket FILE]\n"
           "       tavpipe options [NAME]...\n"
           "Runs a chain of print filters over an XPS or OpenXPS package and writes the\n"
           "resulting package (OpenXPS when OUTPUT ends in .oxps). INPUT or OUTPUT - is\n"
           "standard input or output. OUTPUT .pdf or .pwg prints the job to PDF or PWG Raster.\n"
           "preview writes each sheet side the job would print, and contact.png of the first\n"
           "sheets, as PNG images into FOLDER.\n"
           "\n"
           "  -f, --filters LIST        filters to run, in order (default prep,order,layout,finisher)\n"
           "  -o NAME=VALUE             a job option (repeatable; tavpipe options lists them);\n"
           "                            several in one -o separated by blanks, a bare NAME\n"
           "                            for NAME=on, noNAME for NAME=off\n"
           "      --ticket FILE         a PrintTicket with job settings (options win over it)\n"
           "      --user-ticket FILE    the user's default ticket (default: the device's)\n"
           "      --device FILE         device description of the printer\n"
           "      --printer NAME        printer name (default tavprint)\n"
           "      --job-id N            job number (default 1)\n"
           "      --user NAME           job owner\n"
           "      --title TEXT          job title\n"
           "      --set-property NAME=VALUE\n"
           "                            a pipeline property (repeatable)\n"
           "      --config FILE         pipeline configuration\n"
           "      --driver-dir DIR      printer-driver directory: the rip filter's converter is\n"
           "                            DIR/3 (default: lib/converters/render for PDF and PWG\n"
           "                            Raster, lib/converters/trace, which records, otherwise)\n"
           "      --trace FILE          write the filters' event trace to FILE\n"
           "      --lenient             print pages whose markup breaks the XPS rules, with a\n"
           "                            warning for each, instead of refusing the job\n"
           "  -q, --quiet               no progress line\n"
           "  -h, --help                this text\n"
           "      --version             the version\n"
           "\n"
           "Exit status: 0 done, 1 the job failed, 2 usage error, 3 the input is no readable XPS package.\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    std::vector<std::string> positional;
    size_t i = 0;
    if (!arguments.empty() && (arguments[0] == "info" || arguments[0] == "preview")) {
        line.command = arguments[0] == "info" ? Command::Info : Command::Preview;
        i = 1;
    }
    bool optionsEnded = false;
    for (; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = argument;
        std::string attached;
        bool hasAttached = false;
        if (argument.rfind("--", 0) == 0) {
            size_t equals = argument.find('=');
            if (equals != std::string::npos) {
                name = argument.substr(0, equals);
                attached = argument.substr(equals + 1);
                hasAttached = true;
            }
        } else if (argument.size() > 2) {
            name = argument.substr(0, 2);
            attached = argument.substr(2);
            hasAttached = true;
        }
        auto value = [&]() -> std::string {
            if (hasAttached) return attached;
            if (i + 1 >= arguments.size()) throw UsageError(name + " needs a value");
            return arguments[++i];
        };
        auto flag = [&] {
            if (hasAttached) throw UsageError(name + " takes no value");
        };
        JobRequest& job = line.job;
        if (name == "-h" || name == "--help") {
            flag();
            line.command = Command::Help;
        } else if (name == "--version") {
            flag();
            line.command = Command::Version;
        } else if (name == "-q" || name == "--quiet") {
            flag();
            line.quiet = true;
        } else if (name == "-f" || name == "--filters") {
            job.filters = SplitList(value());
            if (job.filters.empty()) throw UsageError(name + " names no filter");
        } else if (name == "-o") {
            std::string error;
            if (!tav::options::SplitOptionSettings(value(), &job.options, &error)) throw UsageError(error);
        } else if (name == "--set-property") {
            job.properties.push_back(SplitSetting("--set-property", value()));
        } else if (name == "--ticket") {
            job.ticketFile = value();
        } else if (name == "--user-ticket") {
            job.userTicketFile = value();
        } else if (name == "--device") {
            job.deviceFile = value();
        } else if (name == "--printer") {
            job.printer = value();
            if (job.printer.empty()) throw UsageError("--printer needs a name");
        } else if (name == "--job-id") {
            job.jobId = ParseJobId(value());
        } else if (name == "--user") {
            job.user = value();
        } else if (name == "--title") {
            job.title = value();
        } else if (name == "--config") {
            job.configFile = value();
        } else if (name == "--driver-dir") {
            job.driverDirectory = value();
            if (job.driverDirectory.empty()) throw UsageError("--driver-dir needs a folder");
        } else if (name == "--trace") {
            job.traceFile = value();
        } else if (name == "--lenient") {
            flag();
            job.lenientMarkup = true;
        } else {
            throw UsageError("unknown option " + name);
        }
    }
    if (line.command == Command::Help || line.command == Command::Version) return line;
    size_t wanted = line.command == Command::Info ? 1 : 2;
    if (positional.size() != wanted) {
        throw UsageError(line.command == Command::Info      ? "info takes one package"
                         : line.command == Command::Preview ? "preview takes an INPUT package and a FOLDER"
                                                            : "give an INPUT and an OUTPUT package");
    }
    line.job.input = positional[0];
    if (wanted == 2) line.job.output = positional[1];
    return line;
}

}  // namespace tav::host
