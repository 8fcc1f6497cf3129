#include "scaling_geometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/units.h"

namespace {

enum class Place { Start, Middle, End };

struct AlignmentPlaces {
    Place horizontal;
    Place vertical;
};

// Indexed by ScaleOffsetAlignment.
constexpr AlignmentPlaces kAlignmentPlaces[] = {
    {Place::Middle, Place::End},     // BottomCenter
    {Place::Start, Place::End},      // BottomLeft
    {Place::End, Place::End},        // BottomRight
    {Place::Middle, Place::Middle},  // Center
    {Place::Start, Place::Middle},   // LeftCenter
    {Place::End, Place::Middle},     // RightCenter
    {Place::Middle, Place::Start},   // TopCenter
    {Place::Start, Place::Start},    // TopLeft
    {Place::End, Place::Start},      // TopRight
};
static_assert(sizeof kAlignmentPlaces / sizeof kAlignmentPlaces[0] == kAlignmentCount);

float Share(Place place, float spare)
{
    switch (place) {
    case Place::Start: return 0;
    case Place::Middle: return spare / 2;
    case Place::End: return spare;
    }
    return 0;
}

bool HasArea(float width, float height)
{
    return width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height);
}

// The size fitted into the area and placed there by the alignment, from the
// area's origin.
UniformTransform FitInto(INT alignment, const Gdiplus::RectF& area, float width, float height)
{
    float factor = FitFactor(area.Width, area.Height, width, height);
    Gdiplus::PointF offset = AlignedOffset(alignment, area.Width, area.Height, width, height);
    return {factor, area.X + offset.X, area.Y + offset.Y};
}

}  // namespace

PageSize ScaledPageSize(const PageScalingSettings& settings, const PageGeometry& pageMedia)
{
    const PageGeometry& paper = settings.option == kScalingFitToPaper ? settings.fitMedia : pageMedia;
    PageSize size{MicronsToXpsUnits(paper.width), MicronsToXpsUnits(paper.height)};
    if (IsLandscapeLike(pageMedia.orientation)) std::swap(size.width, size.height);
    return size;
}

PageSize OrientedMediaSize(const PageGeometry& pageMedia) { return ScaledPageSize(PageScalingSettings(), pageMedia); }

Gdiplus::RectF PageBox(const std::optional<Gdiplus::RectF>& box, float pageWidth, float pageHeight)
{
    if (box && HasArea(box->Width, box->Height)) return *box;
    return {0, 0, pageWidth, pageHeight};
}

float FitFactor(float areaWidth, float areaHeight, float width, float height)
{
    if (!HasArea(width, height)) return 1;
    return std::min(areaWidth / width, areaHeight / height);
}

Gdiplus::PointF AlignedOffset(INT alignment, float areaWidth, float areaHeight, float width, float height)
{
    if (!HasArea(width, height) || alignment < 0 || alignment >= kAlignmentCount) return {};
    float factor = FitFactor(areaWidth, areaHeight, width, height);
    bool widthHasSpare = areaWidth / width > areaHeight / height;
    float spareWidth = widthHasSpare ? areaWidth - width * factor : 0;
    float spareHeight = widthHasSpare ? 0 : areaHeight - height * factor;
    const AlignmentPlaces& places = kAlignmentPlaces[alignment];
    return {Share(places.horizontal, spareWidth), Share(places.vertical, spareHeight)};
}

std::optional<UniformTransform> OuterTransform(const PageScalingSettings& settings, const ScalingFrame& frame)
{
    const Gdiplus::RectF* box = nullptr;
    if (settings.option == kScalingFitBleedToImageable) box = &frame.bleedBox;
    if (settings.option == kScalingFitContentToImageable) box = &frame.contentBox;
    if (box == nullptr) return std::nullopt;
    return FitInto(settings.alignment, frame.target, box->Width, box->Height);
}

UniformTransform InnerTransform(const PageScalingSettings& settings, const ScalingFrame& frame)
{
    const Gdiplus::RectF& source = frame.source;
    const Gdiplus::RectF& target = frame.target;
    switch (settings.option) {
    case kScalingFitToPaper: {
        float factor = FitFactor(target.Width, target.Height, source.Width, source.Height);
        return {factor, target.X - source.X * factor, target.Y - source.Y * factor};
    }
    case kScalingCustomSquare: {
        float factor = static_cast<float>(settings.scale) / 100;
        return {factor, MicronsToXpsUnits(settings.offsetWidth) + target.X - source.X * factor,
                MicronsToXpsUnits(settings.offsetHeight) + target.Y - source.Y * factor};
    }
    case kScalingFitBleedToImageable: return {1, -frame.bleedBox.X, -frame.bleedBox.Y};
    case kScalingFitContentToImageable: return {1, -frame.contentBox.X, -frame.contentBox.Y};
    case kScalingFitMediaToImageable: return FitInto(settings.alignment, target, frame.pageWidth, frame.pageHeight);
    case kScalingFitMediaToMedia:
        return FitInto(settings.alignment, {0, 0, frame.paperWidth, frame.paperHeight}, frame.pageWidth,
                       frame.pageHeight);
    default: return {};
    }
}
