#include "job/job_settings.h"

namespace tav::host {

std::string JobSettingsDelta(const std::vector<std::pair<std::string, std::string>>& options,
                             const std::string& ticketFileXml, std::vector<std::string>* warnings)
{
    if (options.empty()) return ticketFileXml;
    // The option mapping (host/options, BuildJobTicket) plugs in here; until
    // it is part of the build, -o is refused rather than ignored.
    (void)warnings;
    throw SettingsError("options are not supported yet (-o " + options.front().first + "=" + options.front().second +
                        "); give the settings as a PrintTicket with --ticket");
}

}  // namespace tav::host
