#include "page_markup_rewriter.h"

#include "filtercore/owned_bstr.h"

PageMarkupRewriter::PageMarkupRewriter(IPrintWriteStream* stream, PreparationContext& context)
    : PageWriterBase(stream, {ResourcesElement::RenameInOwnCanvas}),
      scaling_(context.scaling ? &*context.scaling : nullptr),
      watermark_(context.watermark.get()),
      headerFooter_(context.headerFooter.get()),
      imageableArea_(context.imageableArea)
{
}

HRESULT PageMarkupRewriter::StartFixedPage(std::u16string& markup, ISAXAttributes* attributes)
{
    std::u16string width = scaling_ ? scaling_->PageWidth() : std::u16string();
    std::u16string height = scaling_ ? scaling_->PageHeight() : std::u16string();
    CopyStartTag(markup, PageElementName(u"FixedPage"), attributes,
                 [&](std::u16string_view name, std::u16string_view value) -> std::optional<std::u16string_view> {
                     if (name == u"ContentBox" || name == u"BleedBox") return std::nullopt;
                     if (name == u"Width" && !width.empty()) return width;
                     if (name == u"Height" && !height.empty()) return height;
                     return value;
                 });
    EndStartTag(markup);

    if (scaling_) {
        const FixedPageFrame& frame = Frame();
        scaling_->SetPage(frame.width, frame.height, frame.bleedBox, frame.contentBox);
        HRESULT hr = scaling_->OpeningTags(PageElementName(u"Canvas"), markup);
        if (FAILED(hr)) return hr;
    }
    return RenderDecorations(markup);
}

HRESULT PageMarkupRewriter::RenderDecorations(std::u16string& markup)
{
    const FixedPageFrame& frame = Frame();
    if (watermark_) {
        HRESULT hr = watermark_->Render(frame.width, frame.height, imageableArea_);
        if (FAILED(hr)) return hr;
        if (watermark_->DrawsUnderContent()) {
            OwnedBstr copy;
            hr = watermark_->GetMarkup(copy.Out(), kUnderContentMarkup);
            if (FAILED(hr)) return hr;
            if (copy.Get() != nullptr) markup.append(copy.Get(), copy.Length());
        }
    }
    if (headerFooter_) {
        HRESULT hr = headerFooter_->Render(frame.width, frame.height, imageableArea_);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

bool PageMarkupRewriter::AppendFragment(PageDecoration& decoration, std::u16string& markup)
{
    OwnedBstr fragment;
    if (FAILED(decoration.GetMarkup(fragment.Out(), kFragmentMarkup))) return false;
    if (fragment.Get() != nullptr) markup.append(fragment.Get(), fragment.Length());
    return true;
}

// The resources' own Canvas is closed by the writer base before this runs.
// A watermark whose fragment cannot be had takes the header/footer with it
// from this page; the scaling Canvases are closed in any case.
HRESULT PageMarkupRewriter::EndFixedPage(std::u16string& markup)
{
    bool watermarkWritten = true;
    if (watermark_ && watermark_->DrawsOverContent()) watermarkWritten = AppendFragment(*watermark_, markup);
    if (watermarkWritten && headerFooter_) AppendFragment(*headerFooter_, markup);
    if (scaling_) scaling_->ClosingTags(PageElementName(u"Canvas"), markup);
    CloseElement(markup, PageElementName(u"FixedPage"));
    markup += u'\n';
    return S_OK;
}
