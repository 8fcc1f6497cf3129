// The media of a job as the host sees it: what a ticket asks for, the
// warning when the printer's device prints on another medium instead, and
// the medium of a job that names none.
//
// A job given options but no media setting of its own (no media option, no
// PageMediaSize in the --ticket file, the package's job ticket or a per-user
// ticket the user gave) is printed on the medium of its first page's size,
// as a user who prints a Letter document expects, rather than on the
// device's default medium: a page that is not as large as its medium would
// otherwise get marks drawn off its edges. A job without options keeps its
// tickets as they are.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tav::host {

class Package;

// The local name of the option a PrintTicket's keywords Feature of that
// name selects ("ISOA4" for PageMediaSize); none when the ticket has no
// such feature or cannot be read.
std::optional<std::string> TicketOptionName(const std::string& ticketXml, const char* feature);
// The same of a parsed ticket (null: none).
std::optional<std::string> TicketOptionName(const xmlDoc* ticket, const char* feature);

// The warning for a job whose ticket asked for one medium and whose merged
// ticket has another: the device does not have the one asked for. None when
// nothing was asked for or it was kept.
std::optional<std::string> MediaReplacementWarning(const std::string& requestedTicket, const std::string& mergedTicket);
// The same of the PageMediaSize option names of the two tickets.
std::optional<std::string> MediumReplacementWarning(const std::optional<std::string>& requested,
                                                    const std::optional<std::string>& used);

// The package's first page: its size in 1/96 inch, and whether a ticket of
// its own names its orientation.
struct FirstPage {
    double width = 0;
    double height = 0;
    bool namesOrientation = false;
    bool operator==(const FirstPage&) const = default;
};

// The package's first page, reading no further than that page; none for a
// job without pages or a package that cannot be read that far (the job
// itself then reports why).
std::optional<FirstPage> FirstPageOf(const std::shared_ptr<Package>& package);

// The job options that put a job on the medium of a first page of this size
// (1/96 inch): the named medium within a millimetre of it either way round,
// else a custom size, and, for a page wider than tall, landscape
// orientation unless withOrientation is false. Nothing for a size no custom
// size can take.
std::vector<std::pair<std::string, std::string>> MediaOptionsForPage(double width, double height, bool withOrientation);

}  // namespace tav::host
