// The markup of the sheets the layout filter makes, as UTF-8 text: the
// FixedPage start of a sheet or an empty side, the Canvas that turns a
// whole sheet (a binding gutter), the Path of the border lines between the
// cells, and the end of the sheet. Numbers are written with two decimals.
#pragma once

#include <string>
#include <string_view>

#include "nup_geometry.h"

// The XML declaration and the FixedPage start tag of a sheet of
// width x height.
std::string SheetHeader(float width, float height);

// `<Canvas RenderTransform="m11,m12,m21,m22,dx,dy" Clip="...">`, clipped to
// the sheet of width x height; its end is written by SheetEnd.
void AppendSheetCanvas(std::string& markup, const Gdiplus::Matrix& transform, float width, float height);

// A black Path through the border lines, solid or dashed; nothing when the
// lines are of kind None or there are none.
void AppendBorderPath(std::string& markup, const BorderLines& lines);

// The end of a sheet, with or without the Canvas of AppendSheetCanvas.
std::string_view SheetEnd(bool sheetCanvas);
