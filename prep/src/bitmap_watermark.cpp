#include "bitmap_watermark.h"

#include <utility>

#include "bitmap_watermark_geometry.h"
#include "decoration_type.h"
#include "filtercore/errors.h"
#include "filtercore/owned_bstr.h"
#include "fragment_attributes.h"

BitmapWatermark::BitmapWatermark(const DecorationData& data, WatermarkImageFiles& files)
    : BitmapWatermark(data, std::make_unique<ImageResource>(data, files), files)
{
}

BitmapWatermark::BitmapWatermark(const DecorationData& data, std::unique_ptr<ImageResource> image,
                                 WatermarkImageFiles& files)
    : PageDecoration(data, nullptr), image_(image.get()), files_(files)
{
    if (DecorationTypeOf(this->data) != DecorationType::BitmapWatermark) throw CXDException(E_INVALIDARG);
    resource = std::move(image);
}

HRESULT BitmapWatermark::PrepareResources(IXpsDocumentConsumer* consumer, IFixedPage* page, ResourcePartCache* cache)
{
    if (consumer == nullptr || page == nullptr || cache == nullptr) return E_POINTER;
    // Once the job has the image part, the pages after need neither the
    // file nor its decoding again.
    OwnedBstr written;
    HRESULT hr = S_OK;
    if (image_->FileName().empty() || FAILED(cache->Lookup(IID_IPartImage, image_->FileName().c_str(), written.Out())))
        hr = image_->Load();
    if (SUCCEEDED(hr)) hr = PageDecoration::PrepareResources(consumer, page, cache);
    if (FAILED(hr)) files_.DropPartName(image_->FileName());
    return hr;
}

HRESULT BitmapWatermark::RenderFragment(float pageWidth, float pageHeight, const Gdiplus::RectF&)
{
    if (!document || resourceUri.Get() == nullptr || resourceUri.Length() == 0) return E_UNEXPECTED;
    ImageExtent extent;
    HRESULT hr = image_->ImageSize(&extent);
    if (FAILED(hr)) return hr;
    std::u16string opacity = WatermarkOpacityText(data);
    const WatermarkEntry& entry = data.activeEntry;
    BitmapWatermarkPlacement placement{entry.positionX, entry.positionY, entry.scaling};
    Gdiplus::RectF rect = BitmapWatermarkRect(extent, placement, pageWidth, pageHeight);
    BitmapWatermarkMarkup values = BitmapWatermarkMarkupValues(extent, rect);

    fragment.Reset();
    ComPtr<IXMLDOMElement> fill;
    ComPtr<IXMLDOMElement> brush;
    OwnedBstr pathName = OwnedBstr::Copy(u"Path");
    OwnedBstr fillName = OwnedBstr::Copy(u"Path.Fill");
    OwnedBstr brushName = OwnedBstr::Copy(u"ImageBrush");
    hr = document->createElement(pathName.Get(), fragment.Out());
    if (SUCCEEDED(hr)) hr = document->createElement(fillName.Get(), fill.Out());
    if (SUCCEEDED(hr)) hr = document->createElement(brushName.Get(), brush.Out());
    if (SUCCEEDED(hr)) hr = SetFragmentAttribute(fragment.Get(), u"Data", values.data);
    const std::pair<const char16_t*, std::u16string_view> brushAttributes[] = {
        {u"ImageSource", std::u16string_view(resourceUri.Get(), resourceUri.Length())},
        {u"Opacity", opacity},
        {u"ViewboxUnits", u"Absolute"},
        {u"Viewbox", values.viewbox},
        {u"ViewportUnits", u"Absolute"},
        {u"Viewport", values.viewport},
    };
    for (const auto& [attribute, value] : brushAttributes) {
        if (SUCCEEDED(hr)) hr = SetFragmentAttribute(brush.Get(), attribute, value);
    }
    if (SUCCEEDED(hr)) hr = fill->appendChild(brush.Get(), nullptr);
    if (SUCCEEDED(hr)) hr = fragment->appendChild(fill.Get(), nullptr);
    // A fragment half built is no fragment: GetMarkup then says so.
    if (FAILED(hr)) fragment.Reset();
    return hr;
}
