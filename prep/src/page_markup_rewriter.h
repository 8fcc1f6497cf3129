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
// The page's resources get a Canvas of their own (RenameInOwnCanvas), so
// that the under-content copy can come before them. Every attribute value is
// escaped once, by the writer base.
#pragma once

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
    // Renders the decorations for the page and appends what goes under the
    // content.
    HRESULT RenderDecorations(std::u16string& markup);
    // Appends the decoration's fragment; false when it cannot be had.
    static bool AppendFragment(PageDecoration& decoration, std::u16string& markup);

    ScalingState* scaling_;
    PageDecoration* watermark_;
    PageDecoration* headerFooter_;
    Gdiplus::RectF imageableArea_;
};
