// TicketMarkup: a PrintTicket or PrintCapabilities document parsed with
// libxml2 and queried with XPath, independently of the platform's DOM. The
// prefixes psf, psk, priv, xsi and xsd are bound to the Print Schema, private
// and XML Schema namespaces whatever prefixes the document itself uses, so
// tests check namespaces by URI.
#pragma once

#include <libxml/tree.h>

#include <string>

namespace testsupport {

inline constexpr char kFrameworkUri[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr char kKeywordsUri[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
inline constexpr char kPrivateUri[] = "http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords";
inline constexpr char kSchemaInstanceUri[] = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr char kSchemaUri[] = "http://www.w3.org/2001/XMLSchema";

class TicketMarkup {
public:
    // Parses without network access; Parsed() tells whether it worked.
    explicit TicketMarkup(const std::string& text);
    ~TicketMarkup();
    TicketMarkup(const TicketMarkup&) = delete;
    TicketMarkup& operator=(const TicketMarkup&) = delete;

    bool Parsed() const { return document_ != nullptr; }
    // The number of nodes selected; -1 when unparsed or not a node-set.
    int Count(const std::string& xpath) const;
    // The string value of the expression ("" when nothing is selected).
    std::string Text(const std::string& xpath) const;
    // The prefix the root declares for a namespace ("" when none).
    std::string RootPrefix(const char* uri) const;

private:
    xmlDoc* document_ = nullptr;
};

}  // namespace testsupport
