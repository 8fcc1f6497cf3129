// The job ticket being built: a fresh PrintTicket, or the base ticket the
// options are merged into. Print Schema elements are created with the
// prefixes the ticket's root declares (the first declaration of each
// namespace, which is the one the filters' readers use); a namespace the
// base lacks is declared on its root.
#pragma once

#include <libxml/tree.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tav::options {

// The namespace of a keyword: the Print Schema keywords or the driver's own.
enum class Ns { Keywords, Private };

class TicketDocument {
public:
    // A fresh ticket when baseXml is empty. Null and *error when the base is
    // not a usable PrintTicket.
    static std::unique_ptr<TicketDocument> Create(std::string_view baseXml, std::string* error);
    // The same over a base already parsed (ParseXmlSafely), which it takes.
    static std::unique_ptr<TicketDocument> Create(xmlDocPtr base, std::string* error);
    ~TicketDocument();
    TicketDocument(const TicketDocument&) = delete;
    TicketDocument& operator=(const TicketDocument&) = delete;

    // A top-level element ("Feature", "Property" or "ParameterInit") named
    // by the keyword. It takes the place of the base's element of the same
    // kind and qualified name (compared by namespace URI and local name), and
    // a replaced Feature takes the base's ParameterInits it referred to with
    // it; otherwise it is appended to the root.
    xmlNodePtr PutTopLevel(std::string_view kind, Ns ns, std::string_view name);
    // A child element of the framework namespace, named by the keyword, or
    // without name attribute when name is empty.
    xmlNodePtr AddChild(xmlNodePtr parent, std::string_view kind, Ns ns, std::string_view name);
    // A Value child with xsi:type xsd:<type>.
    void AddValue(xmlNodePtr parent, std::string_view type, std::string_view text);

    // UTF-8 XML with declaration.
    std::string Serialize() const;
    // The ticket as it stands, for reading.
    const xmlDoc* Document() const { return document_; }

private:
    // A top-level element's kind and the namespace URI and local name of
    // its name attribute.
    struct ElementKey {
        std::string kind;
        std::string uri;
        std::string local;
        auto operator<=>(const ElementKey&) const = default;
    };

    explicit TicketDocument(xmlDocPtr document);
    bool FindNamespaces(std::string* error);
    xmlNsPtr DeclareIfMissing(const char* uri, const char* preferredPrefix, std::string* error);
    void IndexBase();
    xmlNodePtr NewElement(std::string_view kind, Ns ns, std::string_view name);
    std::string QualifiedName(Ns ns, std::string_view name) const;
    // The ParameterInits that the ParameterRefs below node name.
    void CollectReferences(xmlNodePtr node, std::set<ElementKey>* references) const;
    // Removes the base's elements of that key, and the ParameterInits that a
    // removed Feature referred to.
    void RemoveBaseElements(const ElementKey& key);

    xmlDocPtr document_;
    xmlNodePtr root_ = nullptr;
    xmlNsPtr framework_ = nullptr;
    xmlNsPtr keywords_ = nullptr;
    xmlNsPtr private_ = nullptr;
    xmlNsPtr xsi_ = nullptr;
    xmlNsPtr xsd_ = nullptr;
    // The base's top-level elements by key, in document order; looked up
    // once per setting, so a large base costs no more than reading it.
    std::map<ElementKey, std::vector<xmlNodePtr>> base_;
};

}  // namespace tav::options
