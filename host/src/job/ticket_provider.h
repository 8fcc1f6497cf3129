// The tickets the host makes for a job through the platform's PrintTicket
// provider: the per-user ticket the filters start from (a file, or the
// device's default ticket), and the job ticket that puts the user's job
// settings over the package's own job ticket.
#pragma once

#include <stdexcept>
#include <string>

namespace tav::host {

class TicketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The base ticket of a merge is what cannot be read.
class BaseTicketError : public TicketError {
public:
    using TicketError::TicketError;
};

// The default ticket of the device registered for the printer.
std::string DeviceDefaultTicket(const std::string& printerName);

// base merged with delta at job scope, validated for the printer's device:
// the delta's settings win. Throws TicketError with the provider's message,
// BaseTicketError when the base is not a readable ticket.
std::string MergeJobTicket(const std::string& printerName, const std::string& base, const std::string& delta);

// Registers a device description file for the printer name.
void RegisterDevice(const std::string& printerName, const std::string& deviceFile);

}  // namespace tav::host
