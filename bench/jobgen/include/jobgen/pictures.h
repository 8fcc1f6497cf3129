// The images a generated job embeds, drawn here so that no image file is
// needed. Their colours stay clear of the red and blue of the identity marks.
#pragma once

#include "jobgen/rgb_image.h"

namespace jobgen {

// Red grows to the right and green downwards over a constant mid blue.
RgbImage DrawGradient(int width, int height);

// Vertical colour bars; `variant` picks how many and which colours, so that
// consecutive pages get different pictures.
RgbImage DrawBars(int width, int height, int variant);

}  // namespace jobgen
