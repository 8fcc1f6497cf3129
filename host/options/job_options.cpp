#include "job_options.h"

#include <exception>
#include <new>

#include "host_options.h"
#include "job_settings.h"
#include "settings_writers.h"
#include "ticket_document.h"

namespace tav::options {

void WriteJobSettings(const JobRequest& request, TicketDocument& ticket)
{
    WriteMediaSettings(request, ticket);
    WriteDuplexAndBinding(request, ticket);
    WriteSheetSettings(request, ticket);
    WriteScaling(request, ticket);
    WriteWatermark(request, ticket);
    WriteHeaderFooter(request, ticket);
    WriteJobData(request, ticket);
}

}  // namespace tav::options

bool BuildJobTicket(const std::vector<std::pair<std::string, std::string>>& options, const std::string& baseTicketXml,
                    std::string* ticketXml, std::vector<std::string>* warnings, std::string* error)
{
    using namespace tav::options;
    try {
        JobSettings settings;
        std::vector<std::string> found;
        if (!settings.Read(options, &found, error)) return false;
        std::unique_ptr<TicketDocument> ticket = TicketDocument::Create(baseTicketXml, error);
        if (!ticket || !settings.WriteInto(*ticket, error)) return false;
        *ticketXml = ticket->Serialize();
        if (warnings) warnings->insert(warnings->end(), found.begin(), found.end());
        return true;
    } catch (const std::bad_alloc&) {
        *error = "out of memory";
    } catch (const std::exception& failure) {
        *error = failure.what();
    }
    return false;
}

std::string ListJobOptions()
{
    std::string list;
    for (const tav::options::OptionSpec& spec : tav::options::OptionTable())
        list += std::string(spec.name) + "/" + std::string(spec.description) + ": " + ListedValues(spec) + "\n";
    for (const tav::options::HostOptionSpec& spec : tav::options::HostOptionTable())
        list += std::string(spec.name) + "/" + std::string(spec.description) + ": *" + std::string(spec.defaultValue) +
                " " + std::string(spec.values) + "\n";
    return list;
}

std::string DescribeJobOption(const std::string& name)
{
    if (const tav::options::HostOptionSpec* host = tav::options::FindHostOption(name)) {
        return std::string(host->name) + ": " + std::string(host->description) +
               "; accepted values: " + std::string(host->values) + "; default: " + std::string(host->defaultValue) +
               "; " + std::string(host->details);
    }
    const tav::options::OptionSpec* spec = tav::options::FindOption(name);
    if (!spec) return std::string();
    std::string defaultText =
        spec->defaultValue.empty() ? "the document's own setting" : std::string(spec->defaultValue);
    return std::string(spec->name) + ": " + std::string(spec->description) +
           "; accepted values: " + AcceptedValues(*spec) + "; default: " + defaultText;
}
