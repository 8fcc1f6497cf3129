#include "finisher_page_writer.h"

#include "finisher_markup.h"

namespace {

// The FixedPage attributes written anew, after all the others.
bool IsPageGeometryAttribute(std::u16string_view name)
{
    return name == u"Width" || name == u"Height" || name == u"ContentBox" || name == u"BleedBox";
}

}  // namespace

FinisherPageWriter::FinisherPageWriter(IPrintWriteStream* stream, const FinisherSettings& settings)
    : PageWriterBase(stream, {ResourcesElement::Rename}), settings_(settings)
{
}

HRESULT FinisherPageWriter::StartFixedPage(std::u16string& markup, ISAXAttributes* attributes)
{
    CopyStartTag(markup, PageElementName(u"FixedPage"), attributes,
                 [](std::u16string_view name, std::u16string_view value) -> std::optional<std::u16string_view> {
                     if (IsPageGeometryAttribute(name)) return std::nullopt;
                     return value;
                 });
    std::optional<ContentTurn> turn = ContentTurnFor(settings_.rotationKind, settings_.mirrorKind);
    AppendFinishedGeometry(markup, turn);
    EndStartTag(markup);

    transformCanvasOpen_ = false;
    if (turn) {
        AppendTransformCanvas(markup, PageElementName(u"Canvas"), *turn, Frame().width, Frame().height);
        transformCanvasOpen_ = true;
    }
    clipCanvasOpen_ = false;
    if (settings_.cutOutLines) {
        AppendClipCanvas(markup, PageElementName(u"Canvas"), ClipRectangle(settings_.imageableArea));
        clipCanvasOpen_ = true;
    }
    return S_OK;
}

HRESULT FinisherPageWriter::EndFixedPage(std::u16string& markup)
{
    if (clipCanvasOpen_) {
        CloseElement(markup, PageElementName(u"Canvas"));
        clipCanvasOpen_ = false;
    }
    // Outside the clip, so that marks on the edge of the printable area are
    // drawn whole; inside the transform, so that they lie where the area
    // lies on the turned or flipped content.
    if (settings_.cutOutLines)
        AppendCutOutLinePath(markup, PageElementName(u"Path"), CutOutMarks(settings_.imageableArea));
    if (transformCanvasOpen_) {
        CloseElement(markup, PageElementName(u"Canvas"));
        transformCanvasOpen_ = false;
    }
    CloseElement(markup, PageElementName(u"FixedPage"));
    return S_OK;
}

// The boxes follow the content: a box says where on the page the content
// (or its bleed) lies, so a turned or flipped content takes its boxes along.
void FinisherPageWriter::AppendFinishedGeometry(std::u16string& markup, const std::optional<ContentTurn>& turn) const
{
    const FixedPageFrame& frame = Frame();
    AppendPageSize(markup, FinishedPageSize(settings_.rotationKind, frame.width, frame.height));
    auto finished = [&](const Gdiplus::RectF& box) {
        return turn ? TurnBox(*turn, frame.width, frame.height, box) : box;
    };
    if (frame.bleedBox) AppendBox(markup, u"BleedBox", finished(*frame.bleedBox));
    if (frame.contentBox) AppendBox(markup, u"ContentBox", finished(*frame.contentBox));
}
