#include "job_settings.h"

#include "host_options.h"
#include "request_rules.h"
#include "settings_writers.h"

namespace tav::options {

bool JobSettings::MakeRequest(const Options& options, JobRequest* request, std::vector<std::string>* warnings,
                              std::string* error)
{
    for (const auto& [name, value] : options) {
        if (FindHostOption(name)) continue;  // applied by the host, not written into the ticket
        if (!request->Set(name, value, error)) return false;
    }
    std::vector<std::string> found;
    if (!ApplyOptionRules(request, &found, error)) return false;
    if (warnings) warnings->insert(warnings->end(), found.begin(), found.end());
    return true;
}

bool JobSettings::Read(const Options& options, std::vector<std::string>* warnings, std::string* error)
{
    options_ = options;
    checked_ = JobRequest();
    return MakeRequest(options_, &checked_, warnings, error);
}

bool JobSettings::SetsMedium() const { return WritesPageMediaSize(checked_); }

bool JobSettings::SetsOrientation() const { return WritesPageOrientation(checked_); }

void JobSettings::AddFirst(const Options& options)
{
    options_.insert(options_.begin(), options.begin(), options.end());
}

bool JobSettings::WriteInto(TicketDocument& ticket, std::string* error) const
{
    // The options are read again with the added ones: rules that depend on
    // them see them as if they had been given. Their warnings were given.
    JobRequest request;
    if (!MakeRequest(options_, &request, nullptr, error)) return false;
    WriteJobSettings(request, ticket);
    return true;
}

}  // namespace tav::options
