#include "sheet_page_writer.h"

#include <algorithm>
#include <utility>

#include "part_references.h"
#include "platform/wformat.h"

std::u16string PlacementMatrixText(const Gdiplus::Matrix& matrix)
{
    float m[6];
    matrix.GetElements(m);
    return FormatWideString(u"%.6f,%.6f,%.6f,%.6f,%.3f,%.3f", m[0], m[1], m[2], m[3], m[4], m[5]);
}

std::u16string ClipPathText(const Gdiplus::RectF& clip)
{
    float right = clip.GetRight(), bottom = clip.GetBottom();
    return FormatWideString(u"M %.2f,%.2f L %.2f,%.2f L %.2f,%.2f L %.2f,%.2f Z", clip.X, clip.Y, right, clip.Y, right,
                            bottom, clip.X, bottom);
}

std::u16string PlacementAttributesText(const PlacementTransform& placement, const FixedPageFrame& frame)
{
    Gdiplus::Matrix matrix;
    placement.GetMatrix(&matrix);
    Gdiplus::RectF clip(0, 0, frame.width, frame.height);
    placement.GetClip(&clip);
    // Numbers and path letters only: nothing to escape.
    return u" RenderTransform=\"" + PlacementMatrixText(matrix) + u"\" Clip=\"" + ClipPathText(clip) + u"\"";
}

SheetPageWriter::SheetPageWriter(IPrintWriteStream* stream, const PlacementTransform& placement,
                                 std::u16string pageName, std::optional<PlacementSpan>* span)
    : PageWriterBase(stream, {ResourcesElement::Rename}),
      placement_(placement),
      pageName_(std::move(pageName)),
      span_(span)
{
    EditContentAttributes(
        [this](std::u16string_view name, std::u16string_view value) -> std::optional<std::u16string_view> {
            std::optional<std::u16string> absolute = AbsoluteReferencesIn(pageName_, name, value);
            if (!absolute) return value;
            rewritten_ = std::move(*absolute);
            return std::u16string_view(rewritten_);
        });
}

HRESULT SheetPageWriter::StartFixedPage(std::u16string& markup, ISAXAttributes* attributes)
{
    OpenStartTag(markup, PageElementName(u"Canvas"));
    size_t begin = markup.size();
    markup += PlacementAttributesText(placement_, Frame());
    // The root's start tag is the writer's first output.
    bool ascii = std::all_of(markup.begin(), markup.end(), [](char16_t c) { return c < 0x80; });
    if (span_ != nullptr && ascii && PendingLength() == 0) *span_ = PlacementSpan{begin, markup.size()};
    // Only the prefixes the page's elements may use go along; its size,
    // language and name belong to the page, not to its place on the sheet.
    CopyAttributes(markup, attributes,
                   [](std::u16string_view name, std::u16string_view value) -> std::optional<std::u16string_view> {
                       if (name.starts_with(u"xmlns:")) return value;
                       return std::nullopt;
                   });
    return S_OK;
}

HRESULT SheetPageWriter::EndFixedPage(std::u16string& markup)
{
    CloseElement(markup, PageElementName(u"Canvas"));
    return S_OK;
}
