#include "page_decoration.h"

#include "decoration_type.h"
#include "filtercore/errors.h"
#include "platform/com.h"

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
    return cache->Lookup(resource->PartInterface(), key.Get(), resourceUri.Out());
}

HRESULT PageDecoration::Render(float pageWidth, float pageHeight, const Gdiplus::RectF& imageableArea)
{
    RenderedPage page{
        pageWidth, pageHeight, imageableArea,
        resourceUri.Get() == nullptr ? std::u16string() : std::u16string(resourceUri.Get(), resourceUri.Length())};
    if (rendered_ && *rendered_ == page) return S_OK;
    rendered_.reset();
    for (std::optional<std::u16string>& text : markup_) text.reset();
    HRESULT hr = RenderFragment(pageWidth, pageHeight, imageableArea);
    if (SUCCEEDED(hr)) rendered_ = std::move(page);
    return hr;
}

HRESULT PageDecoration::GetMarkup(BSTR* text, int which)
{
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    if (!fragment) return E_UNEXPECTED;
    IXMLDOMNode* node = which == kFragmentMarkup ? static_cast<IXMLDOMNode*>(fragment.Get()) : underContentCopy.Get();
    if (node == nullptr) return E_UNEXPECTED;
    std::optional<std::u16string>& kept = markup_[which == kFragmentMarkup ? 0 : 1];
    if (!kept) {
        OwnedBstr xml;
        HRESULT hr = node->get_xml(xml.Out());
        if (FAILED(hr)) return hr;
        kept.emplace(xml.Get() == nullptr ? u"" : xml.Get(), xml.Length());
    }
    *text = SysAllocStringLen(kept->data(), static_cast<UINT>(kept->size()));
    return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

bool PageDecoration::DrawsUnderContent() const
{
    return DecorationTypeOf(data) == DecorationType::TextWatermark && data.watermarkOptions.outlineTxt != 0 &&
           data.watermarkOptions.overlayMethod == 0;
}
