#include "opc/markup_compatibility.h"

#include <optional>

#include "opc/xml_tokens.h"
#include "opc/xps_names.h"

namespace tav::host {
namespace {

std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

}  // namespace

bool UnderstoodNamespace(std::string_view uri)
{
    return uri == xps::kXpsNamespace || uri == xps::kResourceKeyNamespace || uri == xps::kXmlNamespace ||
           uri == xps::kCompatibilityNamespace;
}

MarkupCompatibility::Treatment MarkupCompatibility::Refuse(std::string reason)
{
    reason_ = std::move(reason);
    return Treatment::Refused;
}

const std::string* MarkupCompatibility::Resolve(std::string_view prefix) const
{
    for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it) {
        if (it->first == prefix) return &it->second;
    }
    return nullptr;
}

bool MarkupCompatibility::IsIgnorable(std::string_view uri) const
{
    for (const std::string& entry : ignorable_) {
        if (entry == uri) return true;
    }
    return false;
}

bool MarkupCompatibility::IsProcessed(std::string_view uri, std::string_view local) const
{
    for (const auto& [ns, name] : processed_) {
        if (ns == uri && (name == "*" || name == local)) return true;
    }
    return false;
}

bool MarkupCompatibility::ResolveIgnorableName(std::string_view attribute, std::string_view token, std::string* uri,
                                               std::string* local)
{
    size_t colon = token.find(':');
    const std::string* bound = colon == std::string_view::npos ? nullptr : Resolve(token.substr(0, colon));
    if (bound == nullptr) {
        Refuse("mc:" + std::string(attribute) + " names \"" + std::string(token) + "\", which has no declared prefix");
        return false;
    }
    if (!IsIgnorable(*bound)) {
        Refuse("mc:" + std::string(attribute) + " names the namespace \"" + *bound +
               "\", which is not declared Ignorable");
        return false;
    }
    *uri = *bound;
    *local = std::string(token.substr(colon + 1));
    return true;
}

bool MarkupCompatibility::ReadCompatibilityAttributes(const SaxAttributes& attributes)
{
    std::vector<std::string_view> processTokens;
    std::vector<std::pair<std::string_view, std::string_view>> preserveTokens;
    for (int i = 0; i < attributes.Count(); ++i) {
        if (attributes.Namespace(i) != xps::kCompatibilityNamespace) continue;
        used_ = true;
        std::string_view name = attributes.Local(i);
        std::string_view value = attributes.Value(i);
        if (name == "Ignorable" || name == "MustUnderstand") {
            for (std::string_view prefix : XmlTokens(value)) {
                const std::string* uri = Resolve(prefix);
                if (uri == nullptr) {
                    Refuse("mc:" + std::string(name) + " names the undeclared prefix \"" + std::string(prefix) + "\"");
                    return false;
                }
                if (name == "Ignorable") {
                    ignorable_.push_back(*uri);
                } else if (!UnderstoodNamespace(*uri)) {
                    Refuse("mc:MustUnderstand names the namespace \"" + *uri + "\", which is not understood");
                    return false;
                }
            }
        } else if (name == "ProcessContent") {
            for (std::string_view token : XmlTokens(value)) processTokens.push_back(token);
        } else if (name == "PreserveElements" || name == "PreserveAttributes") {
            for (std::string_view token : XmlTokens(value)) preserveTokens.emplace_back(name, token);
        } else {
            Refuse("the markup-compatibility attribute mc:" + std::string(name) + " is unknown");
            return false;
        }
    }
    // Names in ProcessContent and Preserve* must belong to namespaces
    // declared ignorable here or above.
    for (std::string_view token : processTokens) {
        std::string uri, local;
        if (!ResolveIgnorableName("ProcessContent", token, &uri, &local)) return false;
        processed_.emplace_back(uri, local);
    }
    for (const auto& [attribute, token] : preserveTokens) {
        std::string uri, local;
        if (!ResolveIgnorableName(attribute, token, &uri, &local)) return false;
    }
    return true;
}

MarkupCompatibility::Treatment MarkupCompatibility::StartCompatibilityElement(std::string_view local,
                                                                              const SaxAttributes& attributes)
{
    Frame* parent = frames_.empty() ? nullptr : &frames_.back();
    bool inAlternate = parent != nullptr && parent->treatment == Treatment::AlternateContent;
    if (local == "AlternateContent") {
        if (inAlternate) return Refuse("mc:AlternateContent may hold only mc:Choice and mc:Fallback");
        for (int i = 0; i < attributes.Count(); ++i) {
            if (attributes.Namespace(i) != xps::kCompatibilityNamespace) {
                return Refuse("mc:AlternateContent carries the attribute " + std::string(attributes.Local(i)));
            }
        }
        return Treatment::AlternateContent;
    }
    if (local != "Choice" && local != "Fallback") {
        return Refuse("the markup-compatibility element mc:" + std::string(local) + " is unknown");
    }
    if (!inAlternate) return Refuse("mc:" + std::string(local) + " stands outside mc:AlternateContent");
    if (parent->sawFallback) return Refuse("mc:" + std::string(local) + " follows the mc:Fallback");
    bool understood = true;
    if (local == "Choice") {
        parent->sawChoice = true;
        std::optional<std::string_view> required;
        for (int i = 0; i < attributes.Count(); ++i) {
            std::string_view ns = attributes.Namespace(i);
            if (ns.empty() && attributes.Local(i) == "Requires") {
                required = attributes.Value(i);
            } else if (ns != xps::kCompatibilityNamespace) {
                return Refuse("mc:Choice carries the attribute " + std::string(attributes.Local(i)));
            }
        }
        if (!required || XmlTokens(*required).empty()) return Refuse("mc:Choice has no Requires");
        for (std::string_view prefix : XmlTokens(*required)) {
            const std::string* uri = Resolve(prefix);
            if (uri == nullptr)
                return Refuse("mc:Choice requires the undeclared prefix \"" + std::string(prefix) + "\"");
            understood = understood && UnderstoodNamespace(*uri);
        }
    } else {
        if (!parent->sawChoice) return Refuse("mc:Fallback comes before any mc:Choice");
        parent->sawFallback = true;
        for (int i = 0; i < attributes.Count(); ++i) {
            if (attributes.Namespace(i) != xps::kCompatibilityNamespace) {
                return Refuse("mc:Fallback carries the attribute " + std::string(attributes.Local(i)));
            }
        }
    }
    if (parent->selected || !understood) return Treatment::Skipped;
    parent->selected = true;
    return Treatment::Unwrapped;
}

bool MarkupCompatibility::CheckAttributeNamespaces(const SaxAttributes& attributes)
{
    for (int i = 0; i < attributes.Count(); ++i) {
        std::string_view ns = attributes.Namespace(i);
        if (ns.empty() || UnderstoodNamespace(ns)) continue;
        if (!IsIgnorable(ns)) {
            Refuse("the attribute " + std::string(attributes.Local(i)) + " is of the namespace \"" + std::string(ns) +
                   "\", which is neither understood nor declared Ignorable");
            return false;
        }
        used_ = true;
    }
    return true;
}

void MarkupCompatibility::EndScope(const Frame& frame)
{
    bindings_.resize(frame.bindings);
    ignorable_.resize(frame.ignorable);
    processed_.resize(frame.processed);
}

MarkupCompatibility::Treatment MarkupCompatibility::Start(std::string_view local, std::string_view uri,
                                                          int namespaceCount, const xmlChar** namespaces,
                                                          const SaxAttributes& attributes)
{
    if (skipDepth_ > 0) {
        ++skipDepth_;
        return Treatment::Skipped;
    }
    Frame frame{Treatment::Written, bindings_.size(), ignorable_.size(), processed_.size()};
    for (int i = 0; i < namespaceCount; ++i) {
        bindings_.emplace_back(std::string(View(namespaces[2 * i])), std::string(View(namespaces[2 * i + 1])));
    }
    if (!ReadCompatibilityAttributes(attributes)) return Treatment::Refused;
    if (uri == xps::kCompatibilityNamespace) {
        used_ = true;
        frame.treatment = StartCompatibilityElement(local, attributes);
        if (frame.treatment == Treatment::Refused) return Treatment::Refused;
    } else if (!frames_.empty() && frames_.back().treatment == Treatment::AlternateContent) {
        return Refuse("mc:AlternateContent may hold only mc:Choice and mc:Fallback, not " + std::string(local));
    } else if (uri != xps::kXpsNamespace) {
        // OpenXPS markup reaches the reader in the 2005/06 namespace: the
        // OpenXPS one here is markup of the other flavour in an XPS package.
        if (uri.substr(0, xps::kOpenXpsNamespace.size()) == xps::kOpenXpsNamespace) {
            return Refuse("the element " + std::string(local) + " is in the OpenXPS namespace \"" + std::string(uri) +
                          "\", which an XPS 1.0 package does not use");
        }
        if (!IsIgnorable(uri)) {
            return Refuse("the element " + std::string(local) + " is of the namespace \"" + std::string(uri) +
                          "\", which is neither understood nor declared Ignorable");
        }
        used_ = true;
        frame.treatment = IsProcessed(uri, local) ? Treatment::Unwrapped : Treatment::Skipped;
    }
    if (frame.treatment == Treatment::Skipped) {
        // The skipped element's own scope ends here.
        skipDepth_ = 1;
        EndScope(frame);
        return Treatment::Skipped;
    }
    if (frame.treatment == Treatment::Written && !CheckAttributeNamespaces(attributes)) return Treatment::Refused;
    frames_.push_back(frame);
    return frame.treatment;
}

MarkupCompatibility::Treatment MarkupCompatibility::End()
{
    if (skipDepth_ > 0) {
        --skipDepth_;
        return Treatment::Skipped;
    }
    if (frames_.empty()) return Treatment::Skipped;
    const Frame& frame = frames_.back();
    if (frame.treatment == Treatment::AlternateContent && !frame.sawChoice) {
        return Refuse("mc:AlternateContent has no mc:Choice");
    }
    Treatment treatment = frame.treatment;
    EndScope(frame);
    frames_.pop_back();
    return treatment;
}

MarkupCompatibility::Treatment MarkupCompatibility::Text(std::string_view text)
{
    if (skipDepth_ > 0 || frames_.empty()) return Treatment::Skipped;
    if (frames_.back().treatment == Treatment::AlternateContent) {
        if (text.find_first_not_of(" \t\r\n") != std::string_view::npos)
            return Refuse("mc:AlternateContent holds text");
        return Treatment::Skipped;
    }
    return Treatment::Written;
}

}  // namespace tav::host
