#include "brush.h"

#include <algorithm>

namespace tav::render {

namespace {

Rgba Mix(const Rgba& a, const Rgba& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba ColourAt(const std::vector<GradientStop>& sorted, double offset)
{
    if (offset <= sorted.front().offset) return sorted.front().colour;
    for (size_t i = 1; i < sorted.size(); ++i) {
        if (offset <= sorted[i].offset) {
            double span = sorted[i].offset - sorted[i - 1].offset;
            double t = span > 0 ? (offset - sorted[i - 1].offset) / span : 1;
            return Mix(sorted[i - 1].colour, sorted[i].colour, t);
        }
    }
    return sorted.back().colour;
}

}  // namespace

std::vector<GradientStop> NormaliseStops(std::vector<GradientStop> stops)
{
    if (stops.empty()) return stops;
    std::stable_sort(stops.begin(), stops.end(),
                     [](const GradientStop& a, const GradientStop& b) { return a.offset < b.offset; });
    if (stops.front().offset >= 0 && stops.back().offset <= 1) return stops;
    std::vector<GradientStop> confined;
    if (stops.front().offset < 0) confined.push_back({0, ColourAt(stops, 0)});
    for (const GradientStop& stop : stops)
        if (stop.offset >= 0 && stop.offset <= 1) confined.push_back(stop);
    if (stops.back().offset > 1) confined.push_back({1, ColourAt(stops, 1)});
    if (confined.empty()) confined.push_back({0, ColourAt(stops, 0)});
    return confined;
}

std::vector<GradientStop> LinearLightStops(const std::vector<GradientStop>& stops, int steps)
{
    if (stops.size() < 2 || steps < 1) return stops;
    std::vector<GradientStop> out;
    out.push_back(stops.front());
    for (size_t i = 1; i < stops.size(); ++i) {
        const GradientStop& from = stops[i - 1];
        const GradientStop& to = stops[i];
        for (int step = 1; step <= steps; ++step) {
            double t = static_cast<double>(step) / steps;
            Rgba colour = {LinearToSrgb(SrgbToLinear(from.colour.r) * (1 - t) + SrgbToLinear(to.colour.r) * t),
                           LinearToSrgb(SrgbToLinear(from.colour.g) * (1 - t) + SrgbToLinear(to.colour.g) * t),
                           LinearToSrgb(SrgbToLinear(from.colour.b) * (1 - t) + SrgbToLinear(to.colour.b) * t),
                           from.colour.a + (to.colour.a - from.colour.a) * t};
            out.push_back({from.offset + (to.offset - from.offset) * t, colour});
        }
    }
    return out;
}

}  // namespace tav::render
