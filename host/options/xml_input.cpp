#include "xml_input.h"

#include "platform/secure_xml.h"

namespace tav::options {

xmlDocPtr ParseXmlSafely(std::string_view text, std::string* error)
{
    if (text.size() > kMaxTicketBytes) {
        *error = "the ticket is larger than " + std::to_string(kMaxTicketBytes >> 20) + " MiB";
        return nullptr;
    }
    std::string reason;
    tav::securexml::ParseOptions options;
    options.dropBlankText = true;
    tav::securexml::DocumentPtr document = tav::securexml::Parse(text.data(), text.size(), options, &reason);
    if (!document) {
        // "the document ..." reads as "the ticket ..." here.
        constexpr std::string_view kSubject = "the document";
        if (reason.compare(0, kSubject.size(), kSubject) == 0) reason.replace(0, kSubject.size(), "the ticket");
        *error = reason;
        return nullptr;
    }
    return document.release();
}

}  // namespace tav::options
