// The markup the finisher adds to a page: the FixedPage's size and boxes,
// the Canvas that turns or flips the content, the Canvas that clips it to
// the printable area, and the Path of the cut-out marks. Coordinates are
// written with two decimals; the transform's factors as whole numbers.
#pragma once

#include <array>
#include <string>

#include "finisher_geometry.h"

// ` Width="w" Height="h"`.
void AppendPageSize(std::u16string& markup, const PageExtent& size);

// ` name="x,y,width,height"`, for a BleedBox or ContentBox.
void AppendBox(std::u16string& markup, std::u16string_view name, const Gdiplus::RectF& box);

// `<Canvas RenderTransform="m11,m12,m21,m22,dx,dy">` for a page of width x
// height as read; a translation by a side of the page is written with two
// decimals, one that the transform does not have as 0. canvas is the
// element's qualified name in the page ("Canvas", or "x:Canvas" in a page
// that writes the XPS namespace with a prefix); path below likewise.
void AppendTransformCanvas(std::u16string& markup, std::u16string_view canvas, const ContentTurn& turn, float width,
                           float height);

// `<Canvas Clip="M x,y h w v h h -w v -h z" >`.
void AppendClipCanvas(std::u16string& markup, std::u16string_view canvas, const Gdiplus::RectF& clip);

// A black Path of stroke 0.32 whose data draws the marks in order, each as
// `M x,y v length ` or `M x,y h length `.
void AppendCutOutLinePath(std::u16string& markup, std::u16string_view path,
                          const std::array<CutMark, kCutMarkCount>& marks);
