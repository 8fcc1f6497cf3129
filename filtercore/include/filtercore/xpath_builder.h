// XPathBuilder: XPath expressions over a PrintTicket or PrintCapabilities
// document, built piece by piece from a few fixed templates. Names in a ticket
// are qualified names written as attribute text, so each piece takes the
// prefix the document itself uses for the name's namespace (with its colon;
// null or empty for none) and the local name.
//
// The pieces never raise: a failure to build the string comes back as the
// piece's HRESULT, and the expression keeps what it held before.
#pragma once

#include "filtercore/owned_bstr.h"
#include "platform/hresult.h"

class XPathBuilder {
public:
    // frameworkPrefix: the document's prefix of the Print Schema framework
    // namespace, with its colon (for example "psf:"). It is borrowed and must
    // outlive the builder; the PrintTicketDom that hands out builders owns it.
    explicit XPathBuilder(const WCHAR* frameworkPrefix) : frameworkPrefix_(frameworkPrefix) {}
    XPathBuilder(const XPathBuilder&) = delete;
    XPathBuilder& operator=(const XPathBuilder&) = delete;

    // Appends //<framework>Feature[@name = "<prefix><name>"].
    // E_FAIL without a framework prefix.
    HRESULT AppendFeature(const WCHAR* prefix, const WCHAR* name);
    // Appends //<framework>Property[@name = "<prefix><name>"].
    // Without a framework prefix: S_OK and nothing appended.
    HRESULT AppendProperty(const WCHAR* prefix, const WCHAR* name);
    // Appends //<framework>ScoredProperty[@name = "<prefix><name>"].
    // E_FAIL without a framework prefix.
    HRESULT AppendScoredProperty(const WCHAR* prefix, const WCHAR* name);
    // Appends //<framework>ParameterInit[@name = "<prefix><name>"].
    // Without a framework prefix: S_OK and nothing appended.
    HRESULT AppendParameterInit(const WCHAR* prefix, const WCHAR* name);
    // Turns the expression X into
    //   X/<framework>Option | X/<framework>ScoredProperty[@name = "<keywords>OptionName"]/<framework>Value
    // so that an option is found whether it is written as an Option element
    // or as the ScoredProperty OptionName. E_FAIL without a framework prefix.
    HRESULT AppendOptionValue(const WCHAR* keywordsPrefix);
    // Appends text as it stands (for relative steps such as //psf:ParameterRef).
    HRESULT AppendText(const WCHAR* text);

    // Replaces the expression with a copy of another builder's, so that a
    // common start can be extended in several ways.
    HRESULT CopyFrom(const XPathBuilder& other);
    // The expression built so far, borrowed (null while empty).
    BSTR Expression() const { return expression_.Get(); }
    // A copy of the expression for the caller. E_POINTER for a null out.
    HRESULT CopyExpression(BSTR* expression) const;

private:
    // One Feature, Property, ScoredProperty or ParameterInit step;
    // withoutFramework is what the piece returns when there is no framework
    // prefix.
    HRESULT AppendNamedStep(const WCHAR* element, const WCHAR* prefix, const WCHAR* name, HRESULT withoutFramework);
    bool HasFrameworkPrefix() const { return frameworkPrefix_ != nullptr && frameworkPrefix_[0] != 0; }

    const WCHAR* frameworkPrefix_;
    OwnedBstr expression_;
};
