// The simple value types of page markup: numbers, points, point lists,
// rectangles, matrices, number lists and booleans, each read strictly: the
// whole value must be consumed, numbers must be finite.
#pragma once

#include <string_view>
#include <vector>

#include "affine.h"
#include "parsed.h"

namespace tav::render {

Parsed<double> ParseNumberValue(std::string_view text);
// "x,y".
Parsed<Point> ParsePointValue(std::string_view text);
// "x,y x,y ...": at least one point.
Parsed<std::vector<Point>> ParsePointList(std::string_view text);
// "x,y,width,height" with width and height not negative.
Parsed<Rect> ParseRectValue(std::string_view text);
// "m11,m12,m21,m22,offsetX,offsetY".
Parsed<Affine> ParseMatrixValue(std::string_view text);
// Numbers separated by white space (a dash array); may be empty.
Parsed<std::vector<double>> ParseNumberList(std::string_view text);
// "true" or "false".
Parsed<bool> ParseBoolValue(std::string_view text);

}  // namespace tav::render
