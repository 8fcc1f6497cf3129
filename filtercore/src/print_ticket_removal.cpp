// Removing settings from a ticket: single nodes, features with the
// parameter initialisers they refer to, properties and initialisers.
#include <algorithm>
#include <vector>

#include "filtercore/print_ticket_dom.h"
#include "filtercore/raised_result.h"
#include "filtercore/ticket_strings.h"

namespace {

// The locale comparison as an ordering; two names are equivalent in it
// exactly when they compare equal.
struct LocaleLess {
    static bool Less(BSTR a, BSTR b) { return VarBstrCmp(a, b, LOCALE_USER_DEFAULT, 0) == VARCMP_LT; }
    bool operator()(const OwnedBstr& a, const OwnedBstr& b) const { return Less(a.Get(), b.Get()); }
    bool operator()(const OwnedBstr& a, BSTR b) const { return Less(a.Get(), b); }
    bool operator()(BSTR a, const OwnedBstr& b) const { return Less(a, b.Get()); }
};

// The "name" attributes of the nodes of a list, sorted so that a name is
// looked up in logarithmic time however many references a ticket holds.
class SortedNames {
public:
    HRESULT Collect(PrintTicketDom& ticket, IXMLDOMNodeList* nodes)
    {
        ComPtr<IXMLDOMNode> node;
        HRESULT hr;
        while ((hr = nodes->nextNode(node.Out())) == S_OK) {
            OwnedBstr name;
            hr = ticket.GetAttribute(node.Get(), u"name", name.Out());
            if (FAILED(hr)) return hr;
            if (hr == S_OK) names_.push_back(std::move(name));
        }
        if (FAILED(hr)) return hr;
        std::sort(names_.begin(), names_.end(), LocaleLess());
        return S_OK;
    }
    bool Contains(BSTR name) const { return std::binary_search(names_.begin(), names_.end(), name, LocaleLess()); }

private:
    std::vector<OwnedBstr> names_;
};

}  // namespace

HRESULT PrintTicketDom::RemoveNode(IXMLDOMNode* node)
{
    if (node == nullptr) return E_POINTER;
    ComPtr<IXMLDOMNode> parent;
    HRESULT hr = node->get_parentNode(parent.Out());
    if (hr != S_OK) return hr;
    return parent->removeChild(node, nullptr);
}

HRESULT PrintTicketDom::RemoveFeature(const WCHAR* name) { return RemoveFeatureNamed(keywordsPrefix_.Get(), name); }

HRESULT PrintTicketDom::RemovePrivateFeature(const WCHAR* name)
{
    return RemoveFeatureNamed(privatePrefix_.Get(), name);
}

HRESULT PrintTicketDom::RemoveFeatureNamed(const WCHAR* prefix, const WCHAR* name)
{
    return CatchRaised([&] {
        XPathBuilder feature = NewXPath();
        HRESULT hr = feature.AppendFeature(prefix, name);
        if (FAILED(hr)) return hr;

        // The references are selected below every occurrence of the feature
        // at once, so one pass removes all the initialisers any occurrence
        // refers to; the occurrences are then removed from one snapshot
        // instead of being searched for again after each removal, which
        // would take time quadratic in the size of a hostile ticket.
        ComPtr<IXMLDOMNodeList> features;
        hr = SelectNodes(feature.Expression(), features.Out());
        if (hr != S_OK) return FAILED(hr) ? hr : S_OK;

        // Initialisers referred to from inside the feature go with it; the
        // others stay, whoever refers to them.
        OwnedBstr initialiserPath = FormatBstr(u"//%sParameterInit", frameworkPrefix_.Get());
        OwnedBstr referencePath = FormatBstr(u"%s//%sParameterRef", feature.Expression(), frameworkPrefix_.Get());
        ComPtr<IXMLDOMNodeList> initialisers;
        ComPtr<IXMLDOMNodeList> references;
        hr = SelectNodes(initialiserPath.Get(), initialisers.Out());
        if (FAILED(hr)) return hr;
        bool anyInitialiser = hr == S_OK;
        hr = SelectNodes(referencePath.Get(), references.Out());
        if (FAILED(hr)) return hr;
        if (anyInitialiser && hr == S_OK) {
            SortedNames referenced;
            hr = referenced.Collect(*this, references.Get());
            if (FAILED(hr)) return hr;
            ComPtr<IXMLDOMNode> initialiser;
            while ((hr = initialisers->nextNode(initialiser.Out())) == S_OK) {
                OwnedBstr initialiserName;
                hr = GetAttribute(initialiser.Get(), u"name", initialiserName.Out());
                if (hr == S_OK && referenced.Contains(initialiserName.Get())) hr = RemoveNode(initialiser.Get());
                if (FAILED(hr)) return hr;
            }
            if (FAILED(hr)) return hr;
        }

        ComPtr<IXMLDOMNode> occurrence;
        while ((hr = features->nextNode(occurrence.Out())) == S_OK) {
            hr = RemoveNode(occurrence.Get());
            if (FAILED(hr)) return hr;
        }
        return FAILED(hr) ? hr : S_OK;
    });
}

HRESULT PrintTicketDom::RemoveProperty(const WCHAR* name)
{
    XPathBuilder path = NewXPath();
    HRESULT hr = path.AppendProperty(privatePrefix_.Get(), name);
    if (FAILED(hr)) return hr;
    return RemoveFirst(path);
}

HRESULT PrintTicketDom::RemoveParameterInit(const WCHAR* name)
{
    return RemoveParameterInitNamed(keywordsPrefix_.Get(), name);
}

HRESULT PrintTicketDom::RemovePrivateParameterInit(const WCHAR* name)
{
    return RemoveParameterInitNamed(privatePrefix_.Get(), name);
}

HRESULT PrintTicketDom::RemoveParameterInitNamed(const WCHAR* prefix, const WCHAR* name)
{
    XPathBuilder path = NewXPath();
    HRESULT hr = path.AppendParameterInit(prefix, name);
    if (FAILED(hr)) return hr;
    return RemoveFirst(path);
}

HRESULT PrintTicketDom::RemoveFirst(const XPathBuilder& path)
{
    ComPtr<IXMLDOMNode> node;
    HRESULT hr = SelectSingleNode(path.Expression(), node.Out());
    if (hr != S_OK) return hr;
    return RemoveNode(node.Get());
}
