// The geometry of page scaling, as pure functions of numbers: the size of
// the scaled page, and the uniform scale and translation that place the
// page's content on it. Lengths are XPS units (1/96 inch).
//
// A transform is "scale by factor, then translate by (dx, dy)":
// x' = factor * x + dx, y' = factor * y + dy.
#pragma once

#include <optional>

#include "filtercore/box_value.h"
#include "page_scaling_settings.h"
#include "platform/gdiplus_types.h"

struct UniformTransform {
    float factor = 1;
    float dx = 0;
    float dy = 0;
    bool operator==(const UniformTransform&) const = default;
};

// What the transforms of one page are worked out from.
struct ScalingFrame {
    // The printable area before (source) and after (target) the paper
    // changed: they differ only for FitToPaper.
    Gdiplus::RectF source;
    Gdiplus::RectF target;
    // The incoming FixedPage's size and boxes (a box the page lacks is the
    // whole page, see PageBox).
    float pageWidth = 0;
    float pageHeight = 0;
    Gdiplus::RectF bleedBox;
    Gdiplus::RectF contentBox;
    // The size the page is given (ScaledPageSize).
    float paperWidth = 0;
    float paperHeight = 0;
    // The page's medium as its ticket names it (OrientedMediaSize): the
    // paper the printable areas read from that ticket belong to.
    float mediaWidth = 0;
    float mediaHeight = 0;
};

struct PageSize {
    float width = 0;
    float height = 0;
};

// The paper of the scaled page: the fit media for FitToPaper, the page's
// media otherwise, in XPS units; width and height exchanged when the page's
// orientation is Landscape or ReverseLandscape.
PageSize ScaledPageSize(const PageScalingSettings& settings, const PageGeometry& pageMedia);

// The page's own media the same way: ScaledPageSize of any option but
// FitToPaper.
PageSize OrientedMediaSize(const PageGeometry& pageMedia);

// The box of the page as the scaling uses it: the box when present and
// with an area, the whole page (0, 0, width, height) otherwise. A box of
// four zeros is absent; one with no width or no height could not be fitted
// and is taken as absent too.
Gdiplus::RectF PageBox(const std::optional<Gdiplus::RectF>& box, float pageWidth, float pageHeight);

// The uniform factor that fits width x height into the area:
// min(areaWidth / width, areaHeight / height). 1 when the size has no area,
// so that no infinite factor reaches the markup.
float FitFactor(float areaWidth, float areaHeight, float width, float height);

// The offset of width x height scaled by FitFactor within the area, as the
// alignment places it. Only one direction has spare space: the width's
// when the area is relatively wider (areaWidth / width > areaHeight /
// height), the height's otherwise. Left and top add nothing, centre and
// middle half the spare space, right and bottom all of it.
Gdiplus::PointF AlignedOffset(INT alignment, float areaWidth, float areaHeight, float width, float height);

// The transform of the outer Canvas: only the two options that fit the
// bleed box or the content box into the target area have one. It scales the
// box by FitFactor and moves it to the target's origin, aligned.
std::optional<UniformTransform> OuterTransform(const PageScalingSettings& settings, const ScalingFrame& frame);

// The transform of the inner Canvas, which every scaled page has:
// - None: the identity;
// - FitToPaper: the source area fitted into the target, origin to origin;
// - CustomSquare: scale / 100 about the printable area's origin, moved by
//   the offsets (microns);
// - bleed and content fit: the box's origin moved to (0, 0), the outer
//   Canvas doing the rest;
// - media to imageable: the page fitted into the target area, aligned;
// - media to media: the page fitted into the paper, aligned.
UniformTransform InnerTransform(const PageScalingSettings& settings, const ScalingFrame& frame);
