#include "opc/package_markup_rules.h"

#include <cstring>

namespace tav::host {
namespace {

bool IsTokenCharacter(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F) return false;
    return std::strchr("()<>@,;:\\\"/[]?={}", c) == nullptr;
}

// Consumes a token from text at *at; false when there is none.
bool Token(std::string_view text, size_t* at)
{
    size_t start = *at;
    while (*at < text.size() && IsTokenCharacter(text[*at])) ++*at;
    return *at > start;
}

bool QuotedString(std::string_view text, size_t* at)
{
    if (*at >= text.size() || text[*at] != '"') return false;
    for (size_t i = *at + 1; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\') {
            if (++i >= text.size()) return false;
        } else if (c == '"') {
            *at = i + 1;
            return true;
        } else if (c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return false;
}

}  // namespace

std::string AttributeForMessage(const XmlPullReader::NamedAttribute& attribute)
{
    if (attribute.namespaceUri.empty()) return attribute.localName;
    if (attribute.namespaceUri == "http://www.w3.org/XML/1998/namespace") return "xml:" + attribute.localName;
    if (attribute.namespaceUri == "http://schemas.openxmlformats.org/markup-compatibility/2006") {
        return "mc:" + attribute.localName;
    }
    return attribute.localName + " of the namespace \"" + attribute.namespaceUri + "\"";
}

void CheckPackageElement(const XmlPullReader& reader, std::string_view ns,
                         std::initializer_list<std::string_view> allowed)
{
    if (reader.NamespaceUri() != ns) {
        reader.Fail("the element " + reader.LocalName() + " is of the namespace \"" + reader.NamespaceUri() +
                    "\", which this markup may not hold");
    }
    for (const XmlPullReader::NamedAttribute& attribute : reader.Attributes()) {
        bool known = false;
        if (attribute.namespaceUri.empty()) {
            for (std::string_view name : allowed) known = known || name == attribute.localName;
        }
        if (!known) {
            reader.Fail("the element " + reader.LocalName() + " carries the attribute " +
                        AttributeForMessage(attribute) + ", which this markup does not allow");
        }
    }
}

bool IsMediaType(std::string_view text)
{
    size_t at = 0;
    if (!Token(text, &at) || at >= text.size() || text[at] != '/') return false;
    ++at;
    if (!Token(text, &at)) return false;
    while (at < text.size()) {
        if (text[at] != ';') return false;
        ++at;
        if (!Token(text, &at) || at >= text.size() || text[at] != '=') return false;
        ++at;
        if (!Token(text, &at) && !QuotedString(text, &at)) return false;
    }
    return true;
}

bool IsXmlId(std::string_view text)
{
    if (text.empty()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
        bool other = (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!letter && (i == 0 || !other)) return false;
    }
    return true;
}

}  // namespace tav::host
