#include "platform/print_schema_reader.h"

#include <libxml/parser.h>

#include <limits>

namespace tav::printticket {
namespace {

std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

std::optional<std::string> TakeString(xmlChar* text)
{
    if (text == nullptr) return std::nullopt;
    std::string result(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return result;
}

bool IsNcName(std::string_view text)
{
    if (text.empty()) return false;
    std::string copy(text);
    return xmlValidateNCName(reinterpret_cast<const xmlChar*>(copy.c_str()), 0) == 0;
}

}  // namespace

bool IsSchemaElement(const xmlNode* node, std::string_view localName)
{
    return node != nullptr && node->type == XML_ELEMENT_NODE && node->ns != nullptr &&
           View(node->ns->href) == kFrameworkNamespace && View(node->name) == localName;
}

xmlNode* FirstElement(const xmlNode* parent)
{
    for (xmlNode* child = parent->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE) return child;
    return nullptr;
}

xmlNode* NextElement(const xmlNode* node)
{
    for (xmlNode* next = node->next; next != nullptr; next = next->next)
        if (next->type == XML_ELEMENT_NODE) return next;
    return nullptr;
}

xmlNode* FirstSchemaChild(const xmlNode* parent, std::string_view localName)
{
    for (xmlNode* child = FirstElement(parent); child != nullptr; child = NextElement(child))
        if (IsSchemaElement(child, localName)) return child;
    return nullptr;
}

std::optional<std::string> AttributeText(const xmlNode* element, const char* name)
{
    return TakeString(xmlGetNoNsProp(element, reinterpret_cast<const xmlChar*>(name)));
}

std::optional<std::string> AttributeText(const xmlNode* element, const char* name, const char* namespaceUri)
{
    return TakeString(
        xmlGetNsProp(element, reinterpret_cast<const xmlChar*>(name), reinterpret_cast<const xmlChar*>(namespaceUri)));
}

std::string TextContent(const xmlNode* node) { return TakeString(xmlNodeGetContent(node)).value_or(std::string()); }

std::string_view Trim(std::string_view text)
{
    constexpr std::string_view kSpace = " \t\r\n";
    size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

std::optional<QualifiedName> ResolveQName(const xmlNode* context, std::string_view text)
{
    text = Trim(text);
    size_t colon = text.find(':');
    std::string prefix;
    std::string_view local = text;
    if (colon != std::string_view::npos) {
        prefix = std::string(text.substr(0, colon));
        local = text.substr(colon + 1);
        if (!IsNcName(prefix)) return std::nullopt;
    }
    if (!IsNcName(local)) return std::nullopt;
    xmlNs* ns = xmlSearchNs(context->doc, const_cast<xmlNode*>(context),
                            prefix.empty() ? nullptr : reinterpret_cast<const xmlChar*>(prefix.c_str()));
    if (ns == nullptr) {
        if (!prefix.empty()) return std::nullopt;
        return QualifiedName{std::string(), std::string(local)};
    }
    return QualifiedName{std::string(View(ns->href)), std::string(local)};
}

std::optional<QualifiedName> NameOf(const xmlNode* element)
{
    std::optional<std::string> name = AttributeText(element, "name");
    if (!name) return std::nullopt;
    return ResolveQName(element, *name);
}

xmlNode* FindNamed(const xmlNode* parent, std::string_view kind, const QualifiedName& name)
{
    for (xmlNode* child = FirstElement(parent); child != nullptr; child = NextElement(child)) {
        if (!IsSchemaElement(child, kind)) continue;
        std::optional<QualifiedName> childName = NameOf(child);
        if (childName && *childName == name) return child;
    }
    return nullptr;
}

std::optional<int64_t> ParseInteger(std::string_view text)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Accumulates as a negative number so that the most negative value fits.
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        int digit = c - '0';
        if (value < (std::numeric_limits<int64_t>::min() + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<int64_t>::min()) return std::nullopt;
        value = -value;
    }
    return value;
}

xmlNode* OptionOf(const xmlNode* feature) { return FirstSchemaChild(feature, "Option"); }

std::optional<QualifiedName> OptionName(const xmlNode* option)
{
    if (AttributeText(option, "name")) return NameOf(option);
    xmlNode* scored = FindNamed(option, "ScoredProperty", Keyword("OptionName"));
    if (scored == nullptr) return std::nullopt;
    xmlNode* value = FirstSchemaChild(scored, "Value");
    if (value == nullptr) return std::nullopt;
    return ResolveQName(value, TextContent(value));
}

std::optional<QualifiedName> FeatureOptionName(const xmlNode* root, const QualifiedName& feature)
{
    xmlNode* node = FindNamed(root, "Feature", feature);
    xmlNode* option = node != nullptr ? OptionOf(node) : nullptr;
    if (option == nullptr) return std::nullopt;
    return OptionName(option);
}

static std::optional<std::string> ScoredPropertyText(const xmlNode* root, const xmlNode* option,
                                                     const QualifiedName& property)
{
    xmlNode* scored = FindNamed(option, "ScoredProperty", property);
    if (scored == nullptr) return std::nullopt;
    if (xmlNode* value = FirstSchemaChild(scored, "Value")) return TextContent(value);
    xmlNode* reference = FirstSchemaChild(scored, "ParameterRef");
    if (reference == nullptr) return std::nullopt;
    std::optional<QualifiedName> parameter = NameOf(reference);
    if (!parameter) return std::nullopt;
    xmlNode* init = FindNamed(root, "ParameterInit", *parameter);
    xmlNode* value = init != nullptr ? FirstSchemaChild(init, "Value") : nullptr;
    if (value == nullptr) return std::nullopt;
    return TextContent(value);
}

std::optional<int64_t> ScoredPropertyInteger(const xmlNode* root, const xmlNode* option, const QualifiedName& property)
{
    std::optional<std::string> text = ScoredPropertyText(root, option, property);
    if (!text) return std::nullopt;
    return ParseInteger(*text);
}

std::optional<int64_t> ParameterInteger(const xmlNode* root, const QualifiedName& parameter)
{
    xmlNode* init = FindNamed(root, "ParameterInit", parameter);
    xmlNode* value = init != nullptr ? FirstSchemaChild(init, "Value") : nullptr;
    if (value == nullptr) return std::nullopt;
    return ParseInteger(TextContent(value));
}

}  // namespace tav::printticket
