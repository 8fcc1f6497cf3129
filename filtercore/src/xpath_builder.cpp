#include "filtercore/xpath_builder.h"

#include "filtercore/bstr_utils.h"
#include "filtercore/raised_result.h"
#include "filtercore/ticket_strings.h"

HRESULT XPathBuilder::AppendFeature(const WCHAR* prefix, const WCHAR* name)
{
    return AppendNamedStep(u"Feature", prefix, name, E_FAIL);
}

HRESULT XPathBuilder::AppendProperty(const WCHAR* prefix, const WCHAR* name)
{
    return AppendNamedStep(u"Property", prefix, name, S_OK);
}

HRESULT XPathBuilder::AppendScoredProperty(const WCHAR* prefix, const WCHAR* name)
{
    return AppendNamedStep(u"ScoredProperty", prefix, name, E_FAIL);
}

HRESULT XPathBuilder::AppendParameterInit(const WCHAR* prefix, const WCHAR* name)
{
    return AppendNamedStep(u"ParameterInit", prefix, name, S_OK);
}

HRESULT XPathBuilder::AppendOptionValue(const WCHAR* keywordsPrefix)
{
    if (!HasFrameworkPrefix()) return E_FAIL;
    return CatchRaised([&] {
        // Both forms of an option are selected: the Option element itself,
        // and the Value of the ScoredProperty OptionName that some documents
        // write instead of an Option name.
        const WCHAR* start = OrEmpty(expression_.Get());
        OwnedBstr expression =
            FormatBstr(u"%s/%sOption | %s/%sScoredProperty[@name = \"%sOptionName\"]/%sValue", start, frameworkPrefix_,
                       start, frameworkPrefix_, OrEmpty(keywordsPrefix), frameworkPrefix_);
        expression_ = std::move(expression);
        return S_OK;
    });
}

HRESULT XPathBuilder::AppendText(const WCHAR* text)
{
    return CatchRaised([&] {
        OwnedBstr piece = OwnedBstr::Copy(text);
        // BstrAppend leaves the expression as it was when it fails.
        BstrAppend(expression_.InPlace(), piece.Get());
        return S_OK;
    });
}

HRESULT XPathBuilder::CopyFrom(const XPathBuilder& other)
{
    if (&other == this) return S_OK;
    return CatchRaised([&] {
        expression_ = OwnedBstr::Copy(other.Expression());
        return S_OK;
    });
}

HRESULT XPathBuilder::CopyExpression(BSTR* expression) const
{
    if (expression == nullptr) return E_POINTER;
    *expression = nullptr;
    if (expression_.Get() == nullptr) return S_OK;
    *expression = SysAllocStringLen(expression_.Get(), expression_.Length());
    return *expression == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT XPathBuilder::AppendNamedStep(const WCHAR* element, const WCHAR* prefix, const WCHAR* name,
                                      HRESULT withoutFramework)
{
    if (!HasFrameworkPrefix()) return withoutFramework;
    if (IsEmptyText(name)) return E_INVALIDARG;
    return CatchRaised([&] {
        HeapWideString step;
        step.Format(u"//%s%s[@name = \"%s%s\"]", frameworkPrefix_, element, OrEmpty(prefix), name);
        return AppendText(step.Text());
    });
}
