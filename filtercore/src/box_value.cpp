#include "filtercore/box_value.h"

#include <cfloat>
#include <cmath>

#include "filtercore/heap_string.h"
#include "platform/wformat.h"

float ParseMarkupNumber(const WCHAR* text)
{
    if (text == nullptr) return 0;
    double value = WideToDouble(text, nullptr);
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) return 0;
    return static_cast<float>(value);
}

void ParseBox(const WCHAR* text, Gdiplus::RectF& box)
{
    if (text == nullptr) return;
    HeapWideString whole;
    whole.Assign(text);
    float* members[] = {&box.X, &box.Y, &box.Width, &box.Height};
    ptrdiff_t position = 0;
    for (float* member : members) {
        HeapWideString token = whole.NextToken(u",", &position);
        if (token.Length() > 0) *member = ParseMarkupNumber(token.Text());
        if (position < 0) break;
    }
}
