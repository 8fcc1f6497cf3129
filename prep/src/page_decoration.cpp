#include "page_decoration.h"

#include "decoration_type.h"
#include "filtercore/errors.h"
#include "platform/com.h"

HRESULT SetFragmentAttribute(IXMLDOMElement* element, const char16_t* name, std::u16string_view value)
{
    OwnedBstr attribute = OwnedBstr::Copy(name);
    OwnedBstr text(SysAllocStringLen(value.data(), static_cast<UINT>(value.size())));
    if (text.Get() == nullptr) return E_OUTOFMEMORY;
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_BSTR;
    variant.bstrVal = text.Get();  // borrowed: the VARIANT is not cleared
    return element->setAttribute(attribute.Get(), variant);
}

PageDecoration::PageDecoration(const DecorationData& decorationData, std::unique_ptr<PageResource> pageResource)
    : data(decorationData), resource(std::move(pageResource))
{
    HRESULT hr =
        CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2, document.OutVoid());
    if (FAILED(hr)) throw CXDException(hr);
}

PageDecoration::~PageDecoration() = default;

HRESULT PageDecoration::PrepareResources(IXpsDocumentConsumer* consumer, IFixedPage* page, ResourcePartCache* cache)
{
    if (consumer == nullptr || page == nullptr || cache == nullptr) return E_POINTER;
    resourceUri.Reset();
    if (!resource) return S_OK;
    HRESULT hr = cache->AddToPage(consumer, page, resource.get());
    if (FAILED(hr)) return hr;
    OwnedBstr key;
    hr = resource->GetKey(key.Out());
    if (FAILED(hr)) return hr;
    return cache->Lookup(key.Get(), resourceUri.Out());
}

HRESULT PageDecoration::GetMarkup(BSTR* text, int which)
{
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    if (!fragment) return E_UNEXPECTED;
    if (which == kFragmentMarkup) return fragment->get_xml(text);
    if (!underContentCopy) return E_UNEXPECTED;
    return underContentCopy->get_xml(text);
}

bool PageDecoration::DrawsUnderContent() const
{
    return DecorationTypeOf(data) == DecorationType::TextWatermark && data.watermarkOptions.outlineTxt != 0 &&
           data.watermarkOptions.overlayMethod == 0;
}
