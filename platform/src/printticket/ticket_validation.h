// Validation of a PrintTicket against the device: settings the device cannot
// carry out are replaced by the device's defaults, incomplete ones are
// completed; settings the device does not describe (the filters' own, and
// everything private) are left as they are.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

#include "device.h"
#include "status.h"

namespace tav::printticket {

struct ValidationReport {
    // One line per change, e.g. "PageMediaSize: replaced by the device default".
    std::vector<std::string> changes;
    bool Changed() const { return !changes.empty(); }
};

// Validates ticket in place. Checked: PageMediaSize (a medium of the device
// with its size, or a custom size within the device's limits),
// PageOrientation, JobDuplexAllDocumentsContiguously and DocumentDuplex,
// PageResolution, PageInputBin, DocumentInputBin and JobInputBin,
// PageOutputColor, and the copy counts JobCopiesAllDocuments,
// DocumentCopiesAllPages and PageCopies. A setting that fails is replaced by
// the default ticket's setting of that name, or removed when the default
// ticket has none; copy counts out of range are brought into it.
Status ValidateTicket(xmlDoc* ticket, const DeviceDescription& device, ValidationReport* report);

// The device's default ticket must pass validation unchanged and name one of
// the device's media and resolutions; E_PRINTDEVICECAPABILITIES_FORMAT
// otherwise.
Status CheckDefaultTicket(const DeviceDescription& device, const std::string& origin);

}  // namespace tav::printticket
