// Documents people give tavpipe by mistake, recognised by their first bytes
// so that the message says what the file is rather than "not a zip archive".
#pragma once

#include <optional>
#include <string>

namespace tav::host {

// "a PDF document", "a PostScript document", or nothing.
std::optional<std::string> ForeignDocumentKind(const std::string& path);

}  // namespace tav::host
