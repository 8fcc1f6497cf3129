#include "page_markup_rewriter.h"

#include "filtercore/markup_escape.h"
#include "filtercore/owned_bstr.h"
#include "filtercore/page_on_paper.h"

namespace {

// Inserts ` xmlns="namespace"` after the name of the fragment's root.
void DeclareNamespaceOnRoot(std::u16string& fragment, size_t rootStart, std::u16string_view namespaceUri)
{
    if (rootStart >= fragment.size() || fragment[rootStart] != u'<') return;
    size_t nameEnd = fragment.find_first_of(u" \t\r\n/>", rootStart + 1);
    if (nameEnd == std::u16string::npos) return;
    std::u16string declaration = u" xmlns=\"";
    AppendEscapedAttributeValue(declaration, namespaceUri);
    declaration += u'"';
    fragment.insert(nameEnd, declaration);
}

}  // namespace

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
    const FixedPageFrame& frame = Frame();
    // A page rewritten for its decorations alone keeps a size of its own.
    bool ownSize = scaling_ && !scaling_->RewritesPage() &&
                   !IsSameSize(frame.width, frame.height, scaling_->Frame().mediaWidth, scaling_->Frame().mediaHeight);
    std::u16string width = scaling_ && !ownSize ? scaling_->PageWidth() : std::u16string();
    std::u16string height = scaling_ && !ownSize ? scaling_->PageHeight() : std::u16string();
    CopyStartTag(markup, PageElementName(u"FixedPage"), attributes,
                 [&](std::u16string_view name, std::u16string_view value) -> std::optional<std::u16string_view> {
                     if (name == u"ContentBox" || name == u"BleedBox") return std::nullopt;
                     if (name == u"Width" && !width.empty()) return width;
                     if (name == u"Height" && !height.empty()) return height;
                     return value;
                 });
    EndStartTag(markup);

    std::u16string underContent;
    if (scaling_) {
        scaling_->SetPage(frame.width, frame.height, frame.bleedBox, frame.contentBox);
        HRESULT hr = RenderDecorations(underContent);
        if (FAILED(hr)) return hr;
        // The content box clips the content alone where it would cut the
        // decorations too.
        bool decorated = !underContent.empty() || !overContent_.empty();
        bool apart = decorated && scaling_->ContentBoxCutsPage();
        std::u16string canvas = PageElementName(u"Canvas");
        hr = apart ? scaling_->OpeningTagsClippingPage(canvas, markup) : scaling_->OpeningTags(canvas, markup);
        if (FAILED(hr)) return hr;
        markup += underContent;
        if (apart) scaling_->ContentCanvasTag(canvas, markup);
        contentCanvasOpen_ = apart;
        return S_OK;
    }
    HRESULT hr = RenderDecorations(underContent);
    markup += underContent;
    return hr;
}

// A watermark whose fragment cannot be had takes the header/footer with it
// from this page.
HRESULT PageMarkupRewriter::RenderDecorations(std::u16string& markup)
{
    const FixedPageFrame& frame = Frame();
    Gdiplus::RectF area = imageableArea_;
    if (scaling_ && frame.width > 0 && frame.height > 0) {
        const ScalingFrame& paper = scaling_->Frame();
        area = PrintableAreaOnPage(area, paper.mediaWidth, paper.mediaHeight, frame.width, frame.height);
    }
    overContent_.clear();
    bool watermarkWritten = true;
    if (watermark_) {
        HRESULT hr = watermark_->Render(frame.width, frame.height, area);
        if (FAILED(hr)) return hr;
        if (watermark_->DrawsUnderContent()) {
            hr = FragmentOf(*watermark_, kUnderContentMarkup, &markup);
            if (FAILED(hr)) return hr;
        }
        if (watermark_->DrawsOverContent())
            watermarkWritten = SUCCEEDED(FragmentOf(*watermark_, kFragmentMarkup, &overContent_));
    }
    if (headerFooter_) {
        HRESULT hr = headerFooter_->Render(frame.width, frame.height, area);
        if (FAILED(hr)) return hr;
        if (watermarkWritten) FragmentOf(*headerFooter_, kFragmentMarkup, &overContent_);
    }
    return S_OK;
}

HRESULT PageMarkupRewriter::FragmentOf(PageDecoration& decoration, int which, std::u16string* text) const
{
    OwnedBstr fragment;
    HRESULT hr = decoration.GetMarkup(fragment.Out(), which);
    if (FAILED(hr) || fragment.Get() == nullptr) return hr;
    size_t start = text->size();
    text->append(fragment.Get(), fragment.Length());
    if (PageNamespaceHasPrefix()) DeclareNamespaceOnRoot(*text, start, PageNamespace());
    return S_OK;
}

// The resources' own Canvas is closed by the writer base before this runs.
HRESULT PageMarkupRewriter::EndFixedPage(std::u16string& markup)
{
    if (contentCanvasOpen_) CloseElement(markup, PageElementName(u"Canvas"));
    contentCanvasOpen_ = false;
    markup += overContent_;
    if (scaling_) scaling_->ClosingTags(PageElementName(u"Canvas"), markup);
    CloseElement(markup, PageElementName(u"FixedPage"));
    markup += u'\n';
    return S_OK;
}
