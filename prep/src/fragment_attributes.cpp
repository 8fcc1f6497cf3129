#include "fragment_attributes.h"

#include "filtercore/owned_bstr.h"

HRESULT SetFragmentAttribute(IXMLDOMElement* element, const char16_t* name, std::u16string_view value)
{
    OwnedBstr attribute = OwnedBstr::Copy(name);
    OwnedBstr text(SysAllocStringLen(value.data(), static_cast<UINT>(value.size())));
    if (attribute.Get() == nullptr || text.Get() == nullptr) return E_OUTOFMEMORY;
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_BSTR;
    variant.bstrVal = text.Get();  // borrowed: the VARIANT is not cleared
    return element->setAttribute(attribute.Get(), variant);
}
