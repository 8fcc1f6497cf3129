// The node list (a snapshot) and the attribute map (live) of the DOM.
#include "dom_node.h"
#include "text.h"

namespace tav::xml {

namespace {

// Both collections are walked the same way: nextNode gives the item at a
// cursor that it moves on, reset sets it back to the first item.
template <class Collection>
class WalkedByIndex : public ComObject<Collection> {
public:
    HRESULT nextNode(IXMLDOMNode** node) override
    {
        HRESULT hr = this->get_item(static_cast<LONG>(next_), node);
        if (hr == S_OK) ++next_;
        return hr;
    }
    HRESULT reset() override
    {
        next_ = 0;
        return S_OK;
    }

private:
    size_t next_ = 0;
};

class DomNodeList final : public WalkedByIndex<IXMLDOMNodeList> {
public:
    DomNodeList(DocumentState* state, std::vector<xmlNodePtr> nodes) : state_(state), nodes_(std::move(nodes))
    {
        for (xmlNodePtr node : nodes_) state_->Retain(node);
    }

    HRESULT get_item(LONG index, IXMLDOMNode** node) override
    {
        if (node == nullptr) return E_POINTER;
        *node = nullptr;
        state_->Synchronize();
        if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return S_FALSE;
        return ReturnNode(state_.Get(), nodes_[static_cast<size_t>(index)], node);
    }
    HRESULT get_length(LONG* length) override
    {
        if (length == nullptr) return E_POINTER;
        *length = static_cast<LONG>(nodes_.size());
        return S_OK;
    }

private:
    ~DomNodeList() override
    {
        for (xmlNodePtr node : nodes_) state_->Forget(node);
    }
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXMLDOMNodeList ? static_cast<IXMLDOMNodeList*>(this) : nullptr;
    }

    StateRef state_;
    std::vector<xmlNodePtr> nodes_;
};

class DomAttributeMap final : public WalkedByIndex<IXMLDOMNamedNodeMap> {
public:
    DomAttributeMap(DocumentState* state, xmlNodePtr element) : state_(state), element_(element)
    {
        state_->Retain(element_);
    }

    HRESULT getNamedItem(BSTR name, IXMLDOMNode** node) override
    {
        if (node == nullptr) return E_POINTER;
        *node = nullptr;
        state_->Synchronize();
        AttributeItem item = FindAttributeItem(element_, ToUtf8(name));
        if (item.attribute == nullptr && item.declaration == nullptr) return S_FALSE;
        return ReturnAttributeItem(state_.Get(), item, node);
    }
    HRESULT setNamedItem(IXMLDOMNode* node, IXMLDOMNode** replaced) override
    {
        state_->Synchronize();
        return SetAttributeNode(*state_, element_, node, replaced);
    }
    HRESULT removeNamedItem(BSTR name, IXMLDOMNode** removed) override
    {
        state_->Synchronize();
        return RemoveAttributeItem(*state_, element_, ToUtf8(name), removed);
    }
    HRESULT get_item(LONG index, IXMLDOMNode** node) override
    {
        if (node == nullptr) return E_POINTER;
        *node = nullptr;
        state_->Synchronize();
        std::vector<AttributeItem> items = AttributeItems(element_);
        if (index < 0 || static_cast<size_t>(index) >= items.size()) return S_FALSE;
        return ReturnAttributeItem(state_.Get(), items[static_cast<size_t>(index)], node);
    }
    HRESULT get_length(LONG* length) override
    {
        if (length == nullptr) return E_POINTER;
        state_->Synchronize();
        *length = static_cast<LONG>(AttributeItems(element_).size());
        return S_OK;
    }

private:
    ~DomAttributeMap() override { state_->Forget(element_); }
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXMLDOMNamedNodeMap ? static_cast<IXMLDOMNamedNodeMap*>(this) : nullptr;
    }

    StateRef state_;
    xmlNodePtr element_;
};

}  // namespace

HRESULT ReturnNodeList(DocumentState* state, std::vector<xmlNodePtr> nodes, IXMLDOMNodeList** out)
{
    if (out == nullptr) return E_POINTER;
    *out = new (std::nothrow) DomNodeList(state, std::move(nodes));
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT ReturnAttributeMap(DocumentState* state, xmlNodePtr element, IXMLDOMNamedNodeMap** out)
{
    if (out == nullptr) return E_POINTER;
    *out = new (std::nothrow) DomAttributeMap(state, element);
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace tav::xml
