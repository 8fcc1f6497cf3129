// ScalingState: the scaling of one examined ticket, applied to the page it
// belongs to. It gives the page its new Width and Height and the Canvas tags
// that wrap the page's content: an outer Canvas that fits the bleed or
// content box into the printable area (for those two options only), and an
// inner Canvas with the option's transform, clipped to the content box.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "page_scaling_settings.h"
#include "scaling_geometry.h"

class ScalingState {
public:
    // The areas are in microns: source read before the ticket changed,
    // target after (they differ only for FitToPaper).
    ScalingState(const PageScalingSettings& settings, const PageGeometry& pageMedia, const ImageableArea& source,
                 const ImageableArea& target);

    // Whether the page must be rewritten for scaling: an option other than
    // None, or CorrectFixedPageSize On.
    bool RewritesPage() const;

    // The incoming FixedPage's Width, Height and boxes; the boxes as
    // PageBox takes them.
    void SetPage(float width, float height, const std::optional<Gdiplus::RectF>& bleedBox,
                 const std::optional<Gdiplus::RectF>& contentBox);

    // The new Width and Height of the page, "%.2f".
    std::u16string PageWidth() const;
    std::u16string PageHeight() const;

    // The start tags of the Canvas elements around the content, named canvas
    // (the page's qualified name for a Canvas), after SetPage:
    // `<Canvas RenderTransform="m11,m12,m21,m22,dx,dy">` for the outer one,
    // `<Canvas RenderTransform="..." Clip="M x,y L ... z">` for the inner
    // one; factors "%.6f", translations "%.2f". Appended to text. A failing
    // matrix operation of the outer transform is the result (through the GDI+
    // status table); one of the inner transform leaves that matrix with the
    // operations that succeeded. E_FAIL when the elements cannot be read.
    HRESULT OpeningTags(std::u16string_view canvas, std::u16string& text) const;
    // Whether the content box leaves part of the page out.
    bool ContentBoxCutsPage() const;
    // OpeningTags with the inner Canvas clipped to the whole page rather
    // than to the content box, for decorations drawn in it around the
    // content; the content then goes into a Canvas of its own clipped to the
    // content box (ContentCanvasTag), which the caller closes.
    HRESULT OpeningTagsClippingPage(std::u16string_view canvas, std::u16string& text) const;
    // `<Canvas Clip="M x,y L ... z">` with the content box.
    void ContentCanvasTag(std::u16string_view canvas, std::u16string& text) const;
    // "</Canvas>\n", twice for the options with an outer Canvas.
    void ClosingTags(std::u16string_view canvas, std::u16string& text) const;

    const PageScalingSettings& Settings() const { return settings_; }
    const ScalingFrame& Frame() const { return frame_; }

private:
    HRESULT OpeningTagsClippedTo(const Gdiplus::RectF& clip, std::u16string_view canvas, std::u16string& text) const;

    PageScalingSettings settings_;
    ScalingFrame frame_;
};
