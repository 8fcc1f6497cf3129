// The abbreviated path syntax of a Data or Clip value ("F1 M 0,0 L 10,0 ..."):
// parsed once into a geometry, strictly. Any character that is not part of
// the syntax, a command with too few numbers, or more segments than
// maxSegments fails with the reason and where it stands.
#pragma once

#include <cstddef>
#include <string_view>

#include "geometry.h"
#include "parsed.h"

namespace tav::render {

Parsed<Geometry> ParsePathData(std::string_view text, size_t maxSegments);

}  // namespace tav::render
