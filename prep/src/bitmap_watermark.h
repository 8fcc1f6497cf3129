// BitmapWatermark: an image placed on the page over the content, drawn as a
// Path filled with an ImageBrush of the job's image part. It is centred on
// the anchor of the entry's position and scaled by its Scaling; angle and
// font play no part, and it never draws under the content.
#pragma once

#include "image_resource.h"
#include "page_decoration.h"

class BitmapWatermark final : public PageDecoration {
public:
    // Raises CXDException with E_INVALIDARG when the data is not a bitmap
    // watermark's.
    BitmapWatermark(const DecorationData& data, WatermarkImageFiles& files);

    // The image is loaded before the part is made, so that a file that
    // cannot be loaded makes no part at all; a page after the part was
    // written does not load it again. A failure leaves the next page a new
    // part name.
    HRESULT PrepareResources(IXpsDocumentConsumer* consumer, IFixedPage* page, ResourcePartCache* cache) override;

private:
    // E_UNEXPECTED until PrepareResources gave the image part's name; the
    // failure to measure the image or to build the fragment otherwise.
    HRESULT RenderFragment(float pageWidth, float pageHeight, const Gdiplus::RectF& imageableArea) override;
    BitmapWatermark(const DecorationData& data, std::unique_ptr<ImageResource> image, WatermarkImageFiles& files);

    ImageResource* image_;  // owned by the base as its resource
    WatermarkImageFiles& files_;
};
