#include "schema_builder.h"

#include <string>

#include "platform/secure_xml.h"

namespace tav::printticket {
namespace {

const xmlChar* Xml(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }
const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

}  // namespace

xmlNode* AppendSchemaElement(NamespaceBinder& binder, xmlNode* parent, const char* kind, const QualifiedName* name)
{
    xmlNs* framework = binder.ForElement(kFrameworkNamespace);
    xmlNode* element = securexml::Check(xmlNewDocNode(binder.Document(), framework, Xml(kind), nullptr));
    xmlAddChild(parent, element);
    if (name != nullptr) securexml::Check(xmlNewNsProp(element, nullptr, Xml("name"), Xml(binder.Qualify(*name))));
    return element;
}

xmlNode* AppendNamed(NamespaceBinder& binder, xmlNode* parent, const char* kind, const QualifiedName& name)
{
    return AppendSchemaElement(binder, parent, kind, &name);
}

void SetText(xmlNode* element, std::string_view text)
{
    std::string copy(text);
    xmlNode* content = securexml::Check(xmlNewDocText(element->doc, Xml(copy)));
    while (element->children != nullptr) {
        xmlNode* child = element->children;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
    xmlAddChild(element, content);
}

xmlNode* AppendValue(NamespaceBinder& binder, xmlNode* parent, const char* schemaType, std::string_view text)
{
    xmlNode* value = AppendSchemaElement(binder, parent, "Value");
    xmlNs* instance = binder.Prefixed(kSchemaInstanceNamespace);
    std::string type = binder.Qualify({kSchemaNamespace, schemaType});
    securexml::Check(xmlNewNsProp(value, instance, Xml("type"), Xml(type)));
    SetText(value, text);
    return value;
}

xmlNode* AppendIntegerValue(NamespaceBinder& binder, xmlNode* parent, int64_t value)
{
    return AppendValue(binder, parent, "integer", std::to_string(value));
}

xmlNode* AppendQNameValue(NamespaceBinder& binder, xmlNode* parent, const QualifiedName& value)
{
    return AppendValue(binder, parent, "QName", binder.Qualify(value));
}

xmlNode* AppendIntegerProperty(NamespaceBinder& binder, xmlNode* parent, const char* kind, const QualifiedName& name,
                               int64_t value)
{
    xmlNode* property = AppendNamed(binder, parent, kind, name);
    AppendIntegerValue(binder, property, value);
    return property;
}

}  // namespace tav::printticket
