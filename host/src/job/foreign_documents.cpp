#include "job/foreign_documents.h"

#include <fstream>
#include <string_view>

namespace tav::host {

std::optional<std::string> ForeignDocumentKind(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    char head[1024] = {};
    file.read(head, sizeof head);
    std::string_view start(head, static_cast<size_t>(file.gcount()));
    // A PDF file may have bytes before its header; PostScript may come
    // after a printer job language prelude or a DOS EPS binary header.
    if (start.find("%PDF-") != std::string_view::npos) return "a PDF document";
    if (start.starts_with("%!PS") || start.starts_with("\xC5\xD0\xD3\xC6") ||
        (start.starts_with("\x1B%-12345X") && start.find("%!PS") != std::string_view::npos)) {
        return "a PostScript document";
    }
    return std::nullopt;
}

}  // namespace tav::host
