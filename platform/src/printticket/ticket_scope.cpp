#include "ticket_scope.h"

#include <string_view>

#include "platform/print_schema_reader.h"

namespace tav::printticket {
namespace {

bool KeptInScope(std::string_view localName, EPrintTicketScope scope)
{
    switch (scope) {
    case kPTJobScope: return true;
    case kPTDocumentScope: return !localName.starts_with("Job");
    case kPTPageScope: return localName.starts_with("Page");
    }
    return true;
}

}  // namespace

void ApplyScope(xmlDoc* ticket, EPrintTicketScope scope)
{
    xmlNode* root = xmlDocGetRootElement(ticket);
    for (xmlNode* child = FirstElement(root); child != nullptr;) {
        xmlNode* next = NextElement(child);
        if (IsSchemaElement(child, "Feature") || IsSchemaElement(child, "ParameterInit")) {
            std::optional<QualifiedName> name = NameOf(child);
            if (name && !KeptInScope(name->local, scope)) {
                xmlUnlinkNode(child);
                xmlFreeNode(child);
            }
        }
        child = next;
    }
}

}  // namespace tav::printticket
