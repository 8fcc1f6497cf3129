#include "job/job_settings.h"

#include "job_options.h"

namespace tav::host {

std::string JobSettingsDelta(const std::vector<std::pair<std::string, std::string>>& options,
                             const std::string& ticketFileXml, std::vector<std::string>* warnings)
{
    if (options.empty()) return ticketFileXml;
    std::string ticket;
    std::string error;
    if (!BuildJobTicket(options, ticketFileXml, &ticket, warnings, &error)) throw SettingsError(error);
    return ticket;
}

}  // namespace tav::host
