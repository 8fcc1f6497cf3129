// The job ticket: the user's settings (-o options over a --ticket file)
// merged by the PrintTicket provider over the package's own job ticket, or
// over the per-user ticket when the package has none. Each ticket is parsed
// once; the settings are written into one delta, after the medium of the
// job's first page was added to them (job/job_media.h), and merged once.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "job/job_media.h"
#include "job_settings.h"
#include "platform/secure_xml.h"
#include "ticket_document.h"

namespace tav::host {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The package's own job ticket: its part name and bytes.
struct PackageTicket {
    std::string name;
    std::string bytes;
};

// A ticket the user gave, parsed; null and *fault when it cannot serve as
// one: not well-formed XML, no PrintTicket of the Print Schema framework, or
// not of version 1.
securexml::DocumentPtr ParseGivenTicket(const std::string& xml, std::string* fault);

class JobTicket {
public:
    using Options = std::vector<std::pair<std::string, std::string>>;

    // options: the -o options that go into the ticket; ticketFile: the
    // bytes of the --ticket file, or empty. Throws SettingsError for options
    // it cannot use or a ticket file that cannot take them; *warnings gets
    // the options' warnings.
    JobTicket(std::string printer, const Options& options, std::string ticketFile, std::vector<std::string>* warnings);
    ~JobTicket();

    // The tickets the settings go over: the per-user ticket, parsed when the
    // user gave it (ParseGivenTicket; null for the device's default, which
    // names a medium the job did not choose), and the package's own job
    // ticket.
    void SetBase(std::string userTicket, securexml::DocumentPtr userDocument,
                 std::optional<PackageTicket> packageTicket);

    // The job has settings of its own, so gets a ticket of its own.
    bool HasSettings() const { return hasOptions_ || !ticketFile_.empty(); }
    // The job's own tickets (its settings, the package's job ticket, a
    // per-user ticket the user gave) name a medium, an orientation.
    bool NamesMedium() const { return settingsNameMedium_ || baseNamesMedium_; }
    bool NamesOrientation() const { return settingsNameOrientation_ || baseNamesOrientation_; }
    // Whether the medium of the first page would be added (AddFirstPage).
    bool WantsFirstPage() const { return HasSettings() && !(NamesMedium() && NamesOrientation()); }
    // A job that names no medium is printed on its first page's; one that
    // names its medium but no orientation in landscape when that page is
    // wider than tall and has no ticket of its own naming an orientation.
    void AddFirstPage(const FirstPage& page);

    // The merged job ticket; empty for a job without settings, whose own
    // ticket is merged only to learn whether the device gives it the medium
    // it asks for. When the device has not got the first page's medium, the
    // job is merged again without it and printed on the device's choice.
    // *warnings gets the warning of a medium the device has not got. Throws
    // TicketError, or PackageError when the package's job ticket cannot be
    // read.
    std::string Merge(std::vector<std::string>* warnings);

private:
    // The settings over the ticket file: the delta merged over the base.
    struct Delta {
        std::string xml;
        std::optional<std::string> medium;  // the PageMediaSize option it names
    };
    Delta BuildDelta(bool withFirstPage);
    std::string MergeOverBase(const std::string& delta) const;

    std::string printer_;
    tav::options::JobSettings settings_;
    bool hasOptions_ = false;
    std::string ticketFile_;
    // The ticket file parsed once: the document the settings are written
    // into; without options, it is read only, and the file itself is the
    // delta unless the first page's medium is added.
    std::unique_ptr<tav::options::TicketDocument> delta_;
    securexml::DocumentPtr ticketFileDocument_;
    // The medium the ticket file names, and what the settings name before
    // the first page's medium is added.
    std::optional<std::string> fileMedium_;
    bool settingsNameMedium_ = false;
    bool settingsNameOrientation_ = false;
    std::string userTicket_;
    std::optional<PackageTicket> packageTicket_;
    std::optional<std::string> packageMedium_;
    // What the package's job ticket and a per-user ticket the user gave name.
    bool baseNamesMedium_ = false;
    bool baseNamesOrientation_ = false;
    Options firstPageOptions_;
};

}  // namespace tav::host
