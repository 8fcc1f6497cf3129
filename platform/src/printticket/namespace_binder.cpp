#include "namespace_binder.h"

#include <cstdio>

#include "platform/secure_xml.h"

namespace tav::printticket {
namespace {

std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

std::string_view UsualPrefix(std::string_view uri)
{
    if (uri == kFrameworkNamespace) return kFrameworkPrefix;
    if (uri == kKeywordsNamespace) return kKeywordsPrefix;
    if (uri == kSchemaInstanceNamespace) return kSchemaInstancePrefix;
    if (uri == kSchemaNamespace) return kSchemaPrefix;
    if (uri == kPrivateNamespace) return kPrivatePrefix;
    return {};
}

}  // namespace

bool NamespaceBinder::PrefixDeclared(std::string_view prefix) const
{
    for (xmlNs* ns = root_->nsDef; ns != nullptr; ns = ns->next)
        if (ns->prefix != nullptr && View(ns->prefix) == prefix) return true;
    return false;
}

std::string NamespaceBinder::FreePrefix(std::string_view uri, std::string_view preferredPrefix) const
{
    if (preferredPrefix.empty()) preferredPrefix = UsualPrefix(uri);
    bool usable = !preferredPrefix.empty() && preferredPrefix != "xml" && preferredPrefix != "xmlns";
    if (usable && !PrefixDeclared(preferredPrefix)) return std::string(preferredPrefix);
    for (unsigned number = 0;; ++number) {
        char candidate[16];
        std::snprintf(candidate, sizeof candidate, "ns%04u", number);
        if (!PrefixDeclared(candidate)) return candidate;
    }
}

xmlNs* NamespaceBinder::Prefixed(std::string_view uri, std::string_view preferredPrefix)
{
    if (uri.empty()) return nullptr;
    if (uri == reinterpret_cast<const char*>(XML_XML_NAMESPACE))
        return xmlSearchNs(root_->doc, root_, reinterpret_cast<const xmlChar*>("xml"));
    for (xmlNs* ns = root_->nsDef; ns != nullptr; ns = ns->next)
        if (ns->prefix != nullptr && View(ns->href) == uri) return ns;
    std::string prefix = FreePrefix(uri, preferredPrefix);
    std::string href(uri);
    return securexml::Check(xmlNewNs(root_, reinterpret_cast<const xmlChar*>(href.c_str()),
                                     reinterpret_cast<const xmlChar*>(prefix.c_str())));
}

xmlNs* NamespaceBinder::ForElement(std::string_view uri, std::string_view preferredPrefix)
{
    if (uri.empty()) return nullptr;
    for (xmlNs* ns = root_->nsDef; ns != nullptr; ns = ns->next)
        if (View(ns->href) == uri) return ns;
    return Prefixed(uri, preferredPrefix);
}

std::string NamespaceBinder::Qualify(const QualifiedName& name, std::string_view preferredPrefix)
{
    xmlNs* ns = Prefixed(name.ns, preferredPrefix);
    if (ns == nullptr) return name.local;
    return std::string(View(ns->prefix)) + ":" + name.local;
}

}  // namespace tav::printticket
