#include "finisher_markup.h"

#include "platform/wformat.h"

namespace {

// The stroke of the cut-out marks, in XPS units.
constexpr double kCutMarkThickness = 0.32;

void AppendTranslation(std::u16string& markup, PageSide side, float width, float height)
{
    if (side == PageSide::None)
        markup += u'0';
    else
        markup += FormatWideString(u"%.2f", SideLength(side, width, height));
}

}  // namespace

void AppendPageSize(std::u16string& markup, const PageExtent& size)
{
    markup += FormatWideString(u" Width=\"%.2f\" Height=\"%.2f\"", size.width, size.height);
}

void AppendBox(std::u16string& markup, std::u16string_view name, const Gdiplus::RectF& box)
{
    markup += u' ';
    markup += name;
    markup += FormatWideString(u"=\"%.2f,%.2f,%.2f,%.2f\"", box.X, box.Y, box.Width, box.Height);
}

void AppendTransformCanvas(std::u16string& markup, std::u16string_view canvas, const ContentTurn& turn, float width,
                           float height)
{
    markup += u'<';
    markup += canvas;
    markup += FormatWideString(u" RenderTransform=\"%d,%d,%d,%d,", turn.m11, turn.m12, turn.m21, turn.m22);
    AppendTranslation(markup, turn.dx, width, height);
    markup += u',';
    AppendTranslation(markup, turn.dy, width, height);
    markup += u"\">";
}

void AppendClipCanvas(std::u16string& markup, std::u16string_view canvas, const Gdiplus::RectF& clip)
{
    markup += u'<';
    markup += canvas;
    markup += u" Clip=\"";
    markup += FormatWideString(u"M %.2f,%.2f h %.2f v %.2f h -%.2f v -%.2f z", clip.X, clip.Y, clip.Width, clip.Height,
                               clip.Width, clip.Height);
    markup += u"\" >";
}

void AppendCutOutLinePath(std::u16string& markup, std::u16string_view path,
                          const std::array<CutMark, kCutMarkCount>& marks)
{
    markup += u'<';
    markup += path;
    markup += FormatWideString(u" Stroke=\"#000000\" StrokeThickness=\"%.2f\" Data=\"", kCutMarkThickness);
    for (const CutMark& mark : marks) {
        markup += FormatWideString(mark.vertical ? u"M %.2f,%.2f v %.2f " : u"M %.2f,%.2f h %.2f ", mark.x, mark.y,
                                   mark.length);
    }
    markup += u"\" />";
}
