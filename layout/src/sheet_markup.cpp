#include "sheet_markup.h"

#include "platform/wformat.h"

std::string SheetHeader(float width, float height)
{
    return FormatNarrowString(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><FixedPage Width=\"%.2f\" Height=\"%.2f\" xml:lang=\"en-US\" "
        "xmlns=\"http://schemas.microsoft.com/xps/2005/06\">",
        width, height);
}

void AppendSheetCanvas(std::string& markup, const Gdiplus::Matrix& transform, float width, float height)
{
    float m[6];
    transform.GetElements(m);
    markup += FormatNarrowString("<Canvas RenderTransform=\"%.2f,%.2f,%.2f,%.2f,%.2f,%.2f\"", m[0], m[1], m[2], m[3],
                                 m[4], m[5]);
    markup += FormatNarrowString(" Clip=\"M 0,0 L %.2f,0 L %.2f,%.2f L 0, %.2f Z\">", width, width, height, height);
}

void AppendBorderPath(std::string& markup, const BorderLines& lines)
{
    if (lines.kind == BorderLineKind::None || (lines.across.empty() && lines.down.empty())) return;
    if (lines.kind == BorderLineKind::Dashed) {
        markup += FormatNarrowString("<Path Stroke=\"#000000\" StrokeDashArray=\"%.2f %.2f\" StrokeThickness=\"%.2f\" ",
                                     lines.dashLength, lines.dashLength, lines.thickness);
    } else {
        markup += FormatNarrowString("<Path Stroke=\"#000000\" StrokeThickness=\"%.2f\" ", lines.thickness);
    }
    markup += "Data=\"";
    for (const BorderSegment& line : lines.across)
        markup += FormatNarrowString("M %.2f,%.2f H %.2f ", line.x, line.y, line.end);
    for (const BorderSegment& line : lines.down)
        markup += FormatNarrowString("M %.2f,%.2f V %.2f ", line.x, line.y, line.end);
    markup += "\" />";
}

std::string_view SheetEnd(bool sheetCanvas) { return sheetCanvas ? "</Canvas></FixedPage>" : "</FixedPage>"; }
