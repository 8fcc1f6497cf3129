// The PPD of a generic XPS queue, written from the job option table: every
// option users pick in a print dialog, with its values and default, and the
// standard PageSize and Duplex keywords for media and sides.
#pragma once

#include <iosfwd>
#include <string_view>

namespace tav::cups {

// Options the PPD leaves out: the scheduler passes them from the job's IPP
// attributes (number-up, orientation-requested, page-ranges,
// print-color-mode, ...), fills them itself (job-originating-*) or
// declares them under a standard PPD keyword (media, sides).
bool IsLeftOutOfPpd(std::string_view option);

void WritePpd(std::ostream& out);

}  // namespace tav::cups
