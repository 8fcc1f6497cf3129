// The rendering converter's path syntax parser on one Data or Clip value,
// with the model's own bound on segments.
#include <string_view>

#include "model_limits.h"
#include "path_syntax.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    tav::render::ParsePathData(text, tav::render::ModelLimits{}.maxSegmentsPerGeometry);
    return 0;
}
