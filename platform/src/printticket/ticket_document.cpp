#include "ticket_document.h"

#include "../core/stream_bytes.h"
#include "platform/print_schema_reader.h"

namespace tav::printticket {
namespace {

Status Refuse(const TicketRole& role, const std::string& reason)
{
    return Status::Failure(role.formatError, std::string("The ") + role.description + " is invalid: " + reason + ".");
}

bool IsTopLevelSetting(const xmlNode* node)
{
    return IsSchemaElement(node, "Feature") || IsSchemaElement(node, "ParameterInit") ||
           IsSchemaElement(node, "Property");
}

// The first framework element below `node` whose name is no qualified name
// with a declared prefix. Merging and every lookup resolve names: a ticket
// with one cannot be merged into, nor would its merge result read again.
// Recursion is bounded by the parser's limit on nesting.
const xmlNode* UnresolvedName(const xmlNode* node)
{
    for (const xmlNode* child = FirstElement(node); child != nullptr; child = NextElement(child)) {
        bool framework = child->ns != nullptr && child->ns->href != nullptr &&
                         std::string_view(reinterpret_cast<const char*>(child->ns->href)) == kFrameworkNamespace;
        if (framework && AttributeText(child, "name") && !NameOf(child)) return child;
        if (const xmlNode* found = UnresolvedName(child)) return found;
    }
    return nullptr;
}

}  // namespace

Status ParseTicket(const std::string& bytes, const TicketRole& role, securexml::DocumentPtr* ticket)
{
    std::string reason;
    securexml::DocumentPtr document = securexml::Parse(bytes.data(), bytes.size(), {.dropBlankText = true}, &reason);
    if (document == nullptr) return Refuse(role, reason);
    xmlNode* root = xmlDocGetRootElement(document.get());
    if (!IsSchemaElement(root, "PrintTicket"))
        return Refuse(role, "the root element is not PrintTicket of the Print Schema framework namespace");
    std::optional<std::string> version = AttributeText(root, "version");
    if (!version) return Refuse(role, "the root element has no version");
    if (ParseInteger(*version) != 1) return Refuse(role, "version \"" + *version + "\" is not supported (only 1)");
    size_t settings = 0;
    for (xmlNode* child = FirstElement(root); child != nullptr; child = NextElement(child)) {
        if (!IsTopLevelSetting(child)) continue;
        if (!NameOf(child))
            return Refuse(role, std::string("a top-level ") + reinterpret_cast<const char*>(child->name) +
                                    " has no qualified name or uses an undeclared prefix");
        // Merging looks each setting up among the others: bounded, so that
        // a ticket of a hundred thousand settings cannot take hours.
        if (++settings > kMaxTopLevelSettings)
            return Refuse(role, "it has more than " + std::to_string(kMaxTopLevelSettings) + " top-level settings");
    }
    if (const xmlNode* unresolved = UnresolvedName(root))
        return Refuse(role, "the name \"" + AttributeText(unresolved, "name").value_or("") +
                                "\" is no qualified name or uses an undeclared prefix");
    *ticket = std::move(document);
    return Status::Ok();
}

Status ReadTicket(IStream* stream, const TicketRole& role, securexml::DocumentPtr* ticket)
{
    std::string bytes;
    HRESULT hr = ReadStreamToEnd(stream, securexml::kMaximumDocumentBytes, &bytes);
    if (hr == STG_E_MEDIUMFULL)
        return Refuse(role, "it is larger than the " + std::to_string(securexml::kMaximumDocumentBytes >> 20) +
                                " MiB a ticket may have");
    if (FAILED(hr)) return Status::Failure(hr, std::string("The ") + role.description + " could not be read.");
    return ParseTicket(bytes, role, ticket);
}

}  // namespace tav::printticket
