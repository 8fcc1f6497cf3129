// SheetPageWriter: writes an input page into a sheet as one Canvas. The
// FixedPage element becomes a Canvas with the page's RenderTransform and
// Clip on the sheet, keeping only the page's xmlns:p declarations; the
// page's resources become the Canvas's (Canvas.Resources); references to
// fonts, images, dictionaries and profiles are made absolute, since the
// sheet part has another name than the page. No XML declaration is
// written: the sheet has its own.
#pragma once

#include <string>

#include "filtercore/page_writer_base.h"
#include "placement_transform.h"

// Where the placement attributes (RenderTransform and Clip) lie in the
// writer's output, in bytes from its start.
struct PlacementSpan {
    size_t begin = 0;
    size_t end = 0;
};

class SheetPageWriter final : public PageWriterBase {
public:
    // pageName: the input page's part name. The placement is borrowed for
    // the writer's life; so is span, when given: it is set when the
    // placement attributes are written, if everything before them is ASCII.
    // Raises CXDException(E_POINTER) for a null stream.
    SheetPageWriter(IPrintWriteStream* stream, const PlacementTransform& placement, std::u16string pageName,
                    std::optional<PlacementSpan>* span = nullptr);

    HRESULT startDocument() override { return S_OK; }

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override;
    HRESULT EndFixedPage(std::u16string& markup) override;

private:
    const PlacementTransform& placement_;
    const std::u16string pageName_;
    std::optional<PlacementSpan>* span_;
    // The value of the attribute being copied, when it was rewritten.
    std::u16string rewritten_;
};

// The texts of a placement: "m11,m12,m21,m22,dx,dy" with six and three
// decimals, and the clip rectangle as a closed path with two decimals.
std::u16string PlacementMatrixText(const Gdiplus::Matrix& matrix);
std::u16string ClipPathText(const Gdiplus::RectF& clip);
// The placement's attributes as the page's Canvas on a sheet has them:
// ' RenderTransform="..." Clip="..."'; the whole page is shown when the
// placement has no clip.
std::u16string PlacementAttributesText(const PlacementTransform& placement, const FixedPageFrame& frame);
