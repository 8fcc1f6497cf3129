// tavpipe info: what a package holds, as the filters will see it.
#pragma once

#include <ostream>
#include <string>

#include "tavzip/zip_reader.h"

namespace tav::host {

// Prints the package's sequence, documents, pages (size, ticket,
// resources), other parts and a summary. Returns an exit status; on failure
// *error gets the one-line message.
int PrintPackageInfo(const std::string& input, const zip::ZipLimits& limits, std::ostream& out, std::string* error);

// An XPS length as short text ("816", "793.7").
std::string LengthText(double value);
// A page size in XPS units, millimetres and inches:
// "793.7 x 1122.5 (210.0 x 297.0 mm, 8.27 x 11.69 in)".
std::string PageSizeText(double width, double height);

}  // namespace tav::host
