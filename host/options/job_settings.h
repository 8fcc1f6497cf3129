// The ticket settings of a job's -o options, read and checked first and
// written into a ticket later, so that the host can ask whether they name
// a medium or an orientation, and give the job its first page's medium,
// without building the ticket twice.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "job_request.h"
#include "ticket_document.h"

namespace tav::options {

class JobSettings {
public:
    using Options = std::vector<std::pair<std::string, std::string>>;

    // Reads the options (name, value; a later one replaces an earlier one
    // of the same name; those the host applies itself are skipped) and
    // makes dependent ones consistent. False and *error for an unknown
    // option, a value it does not accept or options that exclude each
    // other; *warnings (optional) gets a line for each given value that has
    // no effect or that the filters would override.
    bool Read(const Options& options, std::vector<std::string>* warnings, std::string* error);

    // Whether the options set the medium (PageMediaSize) or the
    // orientation (PageOrientation).
    bool SetsMedium() const;
    bool SetsOrientation() const;

    // Options taken as if given before the others, so that a given option
    // of the same name wins; their values must be accepted.
    void AddFirst(const Options& options);

    // Writes the settings into the ticket: each replaces the ticket's
    // setting of the same name. False and *error when an added option
    // is not accepted.
    bool WriteInto(TicketDocument& ticket, std::string* error) const;

private:
    // A request of these options, made consistent.
    static bool MakeRequest(const Options& options, JobRequest* request, std::vector<std::string>* warnings,
                            std::string* error);

    Options options_;     // the added ones first
    JobRequest checked_;  // the options as read, made consistent
};

}  // namespace tav::options
