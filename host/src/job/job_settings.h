// Turns the job settings of the command line (-o NAME=VALUE over a
// --ticket file) into one PrintTicket delta.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tav::host {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The delta for the options over ticketFileXml (empty when there is no
// file): an option wins over the same setting in the file. Throws
// SettingsError for options the mapping does not accept.
std::string JobSettingsDelta(const std::vector<std::pair<std::string, std::string>>& options,
                             const std::string& ticketFileXml, std::vector<std::string>* warnings);

}  // namespace tav::host
