// PageMarkupRewriter: writes a page again for its scaling and decorations.
// The FixedPage gets the scaled paper's Width and Height and loses its
// ContentBox and BleedBox (the content no longer lies where they said);
// its content is wrapped in the scaling Canvas tags; the decorations go
// around the content, inside the scaling, so that they scale with it:
//
//   <FixedPage ... Width="paper" Height="paper">
//   [outer scaling Canvas] inner scaling Canvas with the content box as Clip
//   [the watermark's under-content copy]
//   [<Canvas> <Canvas.Resources>...</Canvas.Resources>] content [</Canvas>]
//   [the watermark] [the header/footer]
//   </Canvas>\n [</Canvas>\n]
//   </FixedPage>\n
//
// Decorations never cut or resize the page:
// - a page rewritten for its decorations alone (no scaling asked) keeps
//   its own Width and Height when they are not its paper's: a slide under
//   a portrait ticket stays a landscape page;
// - when the content box leaves part of the page out, the inner Canvas is
//   clipped to the page and the content alone goes into a Canvas clipped
//   to the content box, so that decorations around it still show;
// - the printable area the decorations are laid out in falls on a page of
//   another size or shape than its paper as PrintableAreaOnPage says;
// - their fragments, whose names have no prefix, declare the page's
//   namespace on their root when the page calls it by a prefix.
//
// The page's resources get a Canvas of their own (RenameInOwnCanvas), so
// that the under-content copy can come before them. Every attribute value is
// escaped once, by the writer base.
#pragma once

#include <string>

#include "filtercore/page_writer_base.h"
#include "preparation_context.h"

class PageMarkupRewriter final : public PageWriterBase {
public:
    // The context's scaling and decorations are borrowed for the writer's
    // life. Raises CXDException(E_POINTER) for a null stream.
    PageMarkupRewriter(IPrintWriteStream* stream, PreparationContext& context);

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override;
    HRESULT EndFixedPage(std::u16string& markup) override;

private:
    // Renders the decorations for the page, takes the fragments that go
    // over the content and appends what goes under it.
    HRESULT RenderDecorations(std::u16string& markup);
    // Appends the decoration's fragment or copy (GetMarkup's which),
    // declaring the page's namespace where the page needs it; GetMarkup's
    // failure.
    HRESULT FragmentOf(PageDecoration& decoration, int which, std::u16string* text) const;

    ScalingState* scaling_;
    PageDecoration* watermark_;
    PageDecoration* headerFooter_;
    Gdiplus::RectF imageableArea_;
    // The fragments written after the content.
    std::u16string overContent_;
    // The content is in a Canvas of its own, clipped to the content box.
    bool contentCanvasOpen_ = false;
};
