#include "element_import.h"

#include <optional>
#include <string_view>

#include "platform/print_schema_reader.h"
#include "platform/secure_xml.h"

namespace tav::printticket {
namespace {

std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

const xmlChar* Xml(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }

std::string_view PrefixOf(std::string_view qname)
{
    qname = Trim(qname);
    size_t colon = qname.find(':');
    return colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon);
}

class Importer {
public:
    Importer(NamespaceBinder& binder, std::string* error) : binder_(binder), error_(error) {}

    NodePtr Copy(const xmlNode* source)
    {
        xmlNs* ns =
            source->ns != nullptr ? binder_.ForElement(View(source->ns->href), View(source->ns->prefix)) : nullptr;
        NodePtr copy(securexml::Check(xmlNewDocNode(binder_.Document(), ns, source->name, nullptr)));
        if (!CopyAttributes(source, copy.get())) return nullptr;
        if (HoldsQName(source)) {
            std::string text = TextContent(source);
            std::optional<std::string> rewritten = Rewrite(source, text);
            xmlAddChild(copy.get(), securexml::Check(xmlNewDocText(copy->doc, Xml(rewritten.value_or(text)))));
            return copy;
        }
        for (const xmlNode* child = source->children; child != nullptr; child = child->next) {
            switch (child->type) {
            case XML_ELEMENT_NODE: {
                NodePtr element = Copy(child);
                if (element == nullptr) return nullptr;
                xmlAddChild(copy.get(), element.release());
                break;
            }
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
                xmlAddChild(copy.get(), securexml::Check(xmlNewDocText(copy->doc, child->content)));
                break;
            case XML_COMMENT_NODE:
                xmlAddChild(copy.get(), securexml::Check(xmlNewDocComment(copy->doc, child->content)));
                break;
            default: break;
            }
        }
        return copy;
    }

private:
    // The QName as text with the target's prefix for its namespace; null when
    // the text is no QName or its prefix is not declared in the source.
    std::optional<std::string> Rewrite(const xmlNode* context, std::string_view text)
    {
        std::optional<QualifiedName> name = ResolveQName(context, text);
        if (!name) return std::nullopt;
        return binder_.Qualify(*name, PrefixOf(text));
    }

    bool CopyAttributes(const xmlNode* source, xmlNode* copy)
    {
        bool framework = source->ns != nullptr && View(source->ns->href) == kFrameworkNamespace;
        for (const xmlAttr* attribute = source->properties; attribute != nullptr; attribute = attribute->next) {
            std::string value = TextContent(reinterpret_cast<const xmlNode*>(attribute));
            std::string_view name = View(attribute->name);
            xmlNs* ns = nullptr;
            if (attribute->ns != nullptr) {
                ns = binder_.Prefixed(View(attribute->ns->href), View(attribute->ns->prefix));
                if (View(attribute->ns->href) == kSchemaInstanceNamespace && name == "type")
                    value = Rewrite(source, value).value_or(value);
            } else if (framework && name == "name") {
                std::optional<std::string> rewritten = Rewrite(source, value);
                if (!rewritten) {
                    *error_ = "the name \"" + value + "\" is no qualified name or uses an undeclared prefix";
                    return false;
                }
                value = *rewritten;
            }
            securexml::Check(xmlNewNsProp(copy, ns, attribute->name, Xml(value)));
        }
        return true;
    }

    // A Value whose text is a qualified name: of type xsd:QName, or the value
    // of an OptionName scored property.
    static bool HoldsQName(const xmlNode* element)
    {
        if (!IsSchemaElement(element, "Value")) return false;
        if (std::optional<std::string> type = AttributeText(element, "type", kSchemaInstanceNamespace)) {
            std::optional<QualifiedName> typeName = ResolveQName(element, *type);
            if (typeName && typeName->Is(kSchemaNamespace, "QName")) return true;
        }
        const xmlNode* parent = element->parent;
        if (!IsSchemaElement(parent, "ScoredProperty")) return false;
        std::optional<QualifiedName> parentName = NameOf(parent);
        return parentName && *parentName == Keyword("OptionName");
    }

    NamespaceBinder& binder_;
    std::string* error_;
};

}  // namespace

NodePtr ImportElement(NamespaceBinder& binder, const xmlNode* source, std::string* error)
{
    return Importer(binder, error).Copy(source);
}

}  // namespace tav::printticket
