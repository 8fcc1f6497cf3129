#include "ticket_merge.h"

#include "element_import.h"
#include "platform/print_schema_reader.h"

namespace tav::printticket {
namespace {

bool IsMergedSetting(const xmlNode* node)
{
    return IsSchemaElement(node, "Feature") || IsSchemaElement(node, "ParameterInit") ||
           IsSchemaElement(node, "Property");
}

const char* KindOf(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

}  // namespace

void RemoveNamed(xmlNode* parent, const char* kind, const QualifiedName& name)
{
    while (xmlNode* element = FindNamed(parent, kind, name)) {
        xmlUnlinkNode(element);
        xmlFreeNode(element);
    }
}

bool PutTopLevel(NamespaceBinder& binder, const xmlNode* source, std::string* error)
{
    std::optional<QualifiedName> name = NameOf(source);
    if (!name) {
        *error = "a top-level setting has no qualified name";
        return false;
    }
    NodePtr copy = ImportElement(binder, source, error);
    if (copy == nullptr) return false;
    xmlNode* root = binder.Root();
    xmlNode* existing = FindNamed(root, KindOf(source), *name);
    if (existing == nullptr) {
        xmlAddChild(root, copy.release());
        return true;
    }
    xmlNode* placed = copy.release();
    xmlReplaceNode(existing, placed);
    xmlFreeNode(existing);
    // Later duplicates of the name would contradict the one just placed.
    for (xmlNode* next = NextElement(placed); next != nullptr;) {
        xmlNode* following = NextElement(next);
        if (IsSchemaElement(next, KindOf(source)) && NameOf(next) == name) {
            xmlUnlinkNode(next);
            xmlFreeNode(next);
        }
        next = following;
    }
    return true;
}

Status MergeDelta(xmlDoc* ticket, xmlDoc* delta, const TicketRole& deltaRole)
{
    NamespaceBinder binder(xmlDocGetRootElement(ticket));
    xmlNode* deltaRoot = xmlDocGetRootElement(delta);
    for (xmlNode* setting = FirstElement(deltaRoot); setting != nullptr; setting = NextElement(setting)) {
        if (!IsMergedSetting(setting)) continue;
        std::string reason;
        if (!PutTopLevel(binder, setting, &reason))
            return Status::Failure(deltaRole.formatError,
                                   std::string("The ") + deltaRole.description + " is invalid: " + reason + ".");
    }
    return Status::Ok();
}

}  // namespace tav::printticket
