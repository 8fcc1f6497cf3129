#include "ticket_document.h"

#include <new>
#include <optional>
#include <vector>

#include "platform/print_schema_reader.h"
#include "xml_input.h"

namespace tav::options {

namespace {

using namespace tav::printticket;

const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

std::string_view Text(const xmlChar* text)
{
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

template <typename T>
T* Checked(T* created)
{
    if (!created) throw std::bad_alloc();
    return created;
}

// The namespace URI and local name of the element's name attribute.
bool ElementName(xmlNodePtr element, std::string* uri, std::string* local)
{
    std::optional<QualifiedName> name = NameOf(element);
    if (!name) return false;
    *uri = std::move(name->ns);
    *local = std::move(name->local);
    return true;
}

const char* UriOf(Ns ns) { return ns == Ns::Keywords ? kKeywordsNamespace : kPrivateNamespace; }

xmlDocPtr NewTicket()
{
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(Checked(xmlNewDoc(Xml("1.0"))), &xmlFreeDoc);
    xmlNodePtr root = Checked(xmlNewDocNode(document.get(), nullptr, Xml("PrintTicket"), nullptr));
    xmlDocSetRootElement(document.get(), root);
    xmlSetNs(root, Checked(xmlNewNs(root, Xml(kFrameworkNamespace), Xml(kFrameworkPrefix))));
    Checked(xmlNewNs(root, Xml(kKeywordsNamespace), Xml(kKeywordsPrefix)));
    Checked(xmlNewNs(root, Xml(kSchemaInstanceNamespace), Xml(kSchemaInstancePrefix)));
    Checked(xmlNewNs(root, Xml(kSchemaNamespace), Xml(kSchemaPrefix)));
    Checked(xmlNewNs(root, Xml(kPrivateNamespace), Xml(kPrivatePrefix)));
    Checked(xmlNewProp(root, Xml("version"), Xml("1")));
    return document.release();
}

}  // namespace

std::unique_ptr<TicketDocument> TicketDocument::Create(std::string_view baseXml, std::string* error)
{
    xmlDocPtr document = baseXml.empty() ? NewTicket() : ParseXmlSafely(baseXml, error);
    if (!document) return nullptr;
    return Create(document, error);
}

std::unique_ptr<TicketDocument> TicketDocument::Create(xmlDocPtr base, std::string* error)
{
    std::unique_ptr<TicketDocument> ticket(new TicketDocument(base));
    if (!ticket->FindNamespaces(error)) return nullptr;
    ticket->IndexBase();
    return ticket;
}

TicketDocument::TicketDocument(xmlDocPtr document) : document_(document) {}

TicketDocument::~TicketDocument() { xmlFreeDoc(document_); }

bool TicketDocument::FindNamespaces(std::string* error)
{
    root_ = xmlDocGetRootElement(document_);
    if (!IsSchemaElement(root_, "PrintTicket")) {
        *error = "the ticket's root element is not a PrintTicket of the Print Schema framework";
        return false;
    }
    xmlChar* version = xmlGetNoNsProp(root_, Xml("version"));
    bool versionOne = version && Text(version) == "1";
    xmlFree(version);
    if (!versionOne) {
        *error = "the ticket's version is not 1";
        return false;
    }
    framework_ = DeclareIfMissing(kFrameworkNamespace, kFrameworkPrefix, error);
    keywords_ = framework_ ? DeclareIfMissing(kKeywordsNamespace, kKeywordsPrefix, error) : nullptr;
    xsi_ = keywords_ ? DeclareIfMissing(kSchemaInstanceNamespace, kSchemaInstancePrefix, error) : nullptr;
    xsd_ = xsi_ ? DeclareIfMissing(kSchemaNamespace, kSchemaPrefix, error) : nullptr;
    private_ = xsd_ ? DeclareIfMissing(kPrivateNamespace, kPrivatePrefix, error) : nullptr;
    return private_ != nullptr;
}

xmlNsPtr TicketDocument::DeclareIfMissing(const char* uri, const char* preferredPrefix, std::string* error)
{
    for (xmlNsPtr ns = root_->nsDef; ns; ns = ns->next) {
        if (Text(ns->href) != uri) continue;
        if (!ns->prefix) {
            *error = std::string("the ticket declares ") + uri +
                     " as its default namespace; the filters need a prefix for it";
            return nullptr;
        }
        return ns;
    }
    auto declared = [&](const std::string& prefix) {
        for (xmlNsPtr ns = root_->nsDef; ns; ns = ns->next) {
            if (Text(ns->prefix) == prefix) return true;
        }
        return false;
    };
    std::string prefix = preferredPrefix;
    for (int suffix = 1; declared(prefix); ++suffix) prefix = preferredPrefix + std::to_string(suffix);
    return Checked(xmlNewNs(root_, Xml(uri), Xml(prefix.c_str())));
}

std::string TicketDocument::QualifiedName(Ns ns, std::string_view name) const
{
    xmlNsPtr declaration = ns == Ns::Keywords ? keywords_ : private_;
    return std::string(Text(declaration->prefix)) + ":" + std::string(name);
}

xmlNodePtr TicketDocument::NewElement(std::string_view kind, Ns ns, std::string_view name)
{
    xmlNodePtr element = Checked(xmlNewDocNode(document_, framework_, Xml(std::string(kind).c_str()), nullptr));
    if (!name.empty() && !xmlNewProp(element, Xml("name"), Xml(QualifiedName(ns, name).c_str()))) {
        xmlFreeNode(element);
        throw std::bad_alloc();
    }
    return element;
}

void TicketDocument::IndexBase()
{
    for (xmlNodePtr child = root_->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        ElementKey key{std::string(Text(child->name)), {}, {}};
        bool named = key.kind == "Feature" || key.kind == "Property" || key.kind == "ParameterInit";
        if (named && IsSchemaElement(child, key.kind) && ElementName(child, &key.uri, &key.local))
            base_[key].push_back(child);
    }
}

void TicketDocument::CollectReferences(xmlNodePtr node, std::set<ElementKey>* references) const
{
    for (xmlNodePtr child = node->children; child; child = child->next) {
        ElementKey reference{"ParameterInit", {}, {}};
        if (IsSchemaElement(child, "ParameterRef") && ElementName(child, &reference.uri, &reference.local))
            references->insert(reference);
        CollectReferences(child, references);
    }
}

void TicketDocument::RemoveBaseElements(const ElementKey& key)
{
    auto found = base_.find(key);
    if (found == base_.end()) return;
    std::vector<xmlNodePtr> elements = std::move(found->second);
    base_.erase(found);
    std::set<ElementKey> references;
    for (xmlNodePtr element : elements) {
        if (key.kind == "Feature") CollectReferences(element, &references);
        xmlUnlinkNode(element);
        xmlFreeNode(element);
    }
    for (const ElementKey& reference : references) RemoveBaseElements(reference);
}

xmlNodePtr TicketDocument::PutTopLevel(std::string_view kind, Ns ns, std::string_view name)
{
    ElementKey key{std::string(kind), UriOf(ns), std::string(name)};
    xmlNodePtr element = NewElement(kind, ns, name);
    auto found = base_.find(key);
    xmlNodePtr replaced = found == base_.end() ? nullptr : found->second.front();
    if (replaced ? !xmlAddPrevSibling(replaced, element) : !xmlAddChild(root_, element)) {
        xmlFreeNode(element);
        throw std::bad_alloc();
    }
    RemoveBaseElements(key);
    return element;
}

xmlNodePtr TicketDocument::AddChild(xmlNodePtr parent, std::string_view kind, Ns ns, std::string_view name)
{
    xmlNodePtr element = NewElement(kind, ns, name);
    xmlAddChild(parent, element);
    return element;
}

void TicketDocument::AddValue(xmlNodePtr parent, std::string_view type, std::string_view text)
{
    xmlNodePtr value = AddChild(parent, "Value", Ns::Keywords, "");
    std::string typeName = std::string(Text(xsd_->prefix)) + ":" + std::string(type);
    Checked(xmlNewNsProp(value, xsi_, Xml("type"), Xml(typeName.c_str())));
    xmlNodePtr content = Checked(
        xmlNewDocTextLen(document_, reinterpret_cast<const xmlChar*>(text.data()), static_cast<int>(text.size())));
    xmlAddChild(value, content);
}

std::string TicketDocument::Serialize() const
{
    xmlChar* buffer = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(document_, &buffer, &size, "UTF-8", 1);
    if (!buffer) throw std::bad_alloc();
    std::string markup(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
    xmlFree(buffer);
    return markup;
}

}  // namespace tav::options
