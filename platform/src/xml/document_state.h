// The state one DOM document shares with every wrapper made for it: the
// libxml2 tree, the detached subtrees still referred to, the namespaces that
// detached nodes use, the selection properties and the cached XPath context.
//
// Lifetime rules. The tree hanging from the document node belongs to the
// document. A subtree that is not attached (created, removed, cloned, or
// dropped by a load) is an orphan: it is kept while any wrapper or node list
// refers to a node inside it and freed, exactly once, when the last such
// reference goes (or with the state). References are counted per node in
// the node's _private field, which libxml2 leaves to applications.
//
// One state is used on one thread at a time; only its reference count is
// atomic, so that wrappers may be released anywhere.
#pragma once

#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <atomic>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "byte_source.h"
#include "platform/hresult.h"

namespace tav::xml {

// Markup written into a persistence stream and not yet loaded.
class PendingMarkup {
public:
    virtual void LoadPendingMarkup() = 0;

protected:
    ~PendingMarkup() = default;
};

struct NamespaceBinding {
    std::string prefix;  // empty for a default declaration
    std::string uri;
};

class DocumentState {
public:
    // A state with an empty document and one reference; null without memory.
    static DocumentState* Create();

    void AddRef() { ++references_; }
    void Release();

    xmlDocPtr Doc() const { return doc_; }
    xmlNodePtr DocNode() const { return reinterpret_cast<xmlNodePtr>(doc_); }
    bool IsAttached(xmlNodePtr node) const;

    // References held by wrappers and lists.
    void Retain(xmlNodePtr node);
    void Forget(xmlNodePtr node);

    // A detached tree top (parent null) that is not yet tracked.
    void AddOrphan(xmlNodePtr top);
    // A tracked top that was just linked into a tree.
    void RemoveOrphan(xmlNodePtr top);
    // Frees the orphan tree of node if nothing refers into it any more.
    void CollectIfUnreferenced(xmlNodePtr node);

    // A namespace owned by the state for nodes that are not in the scope of
    // a declaration of it (detached nodes); never serialised as a
    // declaration. Null only without memory.
    xmlNsPtr PooledNamespace(const xmlChar* prefix, const xmlChar* href);
    xmlNsPtr XmlNamespace();

    // Replaces the document's content with the markup of source. On failure
    // the document is empty. Nodes of the old content that are still
    // referred to become orphans.
    HRESULT Load(ByteSource& source);
    // The failure of the last Load and the line it stopped at; S_OK and 0
    // after a load that succeeded.
    HRESULT LoadFailure() const { return loadFailure_; }
    int LoadFailureLine() const { return loadFailureLine_; }
    // Empties the document.
    void Clear();

    // "SelectionNamespaces": E_INVALIDARG for malformed text (the old value stays).
    HRESULT SetSelectionNamespaces(std::string_view text);
    const std::string& SelectionNamespacesText() const { return selectionNamespacesText_; }
    // The XPath context with the selection namespaces registered.
    xmlXPathContextPtr XPathContext();

    // Loads markup written into a persistence stream before the DOM is used.
    void Synchronize();
    void SetPendingMarkup(PendingMarkup* pending);
    void ClearPendingMarkup(PendingMarkup* pending);

    DocumentState(const DocumentState&) = delete;
    DocumentState& operator=(const DocumentState&) = delete;

private:
    DocumentState() = default;
    ~DocumentState();
    void FreeTree(xmlNodePtr top);

    std::atomic<ULONG> references_{1};
    xmlDocPtr doc_ = nullptr;
    std::unordered_set<xmlNodePtr> orphans_;
    xmlNsPtr pool_ = nullptr;
    std::string selectionNamespacesText_;
    std::vector<NamespaceBinding> selectionNamespaces_;
    xmlXPathContextPtr xpath_ = nullptr;
    bool xpathNamespacesStale_ = true;
    PendingMarkup* pending_ = nullptr;
    HRESULT loadFailure_ = S_OK;
    int loadFailureLine_ = 0;
};

// A counted reference on a state, released on destruction.
class StateRef {
public:
    explicit StateRef(DocumentState* state) : state_(state) { state_->AddRef(); }
    StateRef(const StateRef& other) : StateRef(other.state_) {}
    StateRef& operator=(const StateRef&) = delete;
    ~StateRef() { state_->Release(); }
    DocumentState* operator->() const { return state_; }
    DocumentState& operator*() const { return *state_; }
    DocumentState* Get() const { return state_; }

private:
    DocumentState* state_;
};

}  // namespace tav::xml
