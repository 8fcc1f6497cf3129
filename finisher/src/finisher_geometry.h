// The finisher's page geometry as pure functions of numbers: which turn or
// flip a page's settings ask for, the transform that draws the content that
// way, where the page's boxes go, and the clip rectangle and cut-out marks of
// the printable area.
//
// Page sizes and boxes are in XPS units (1/96 inch); the imageable area is in
// microns, converted with MicronsToXpsUnits.
#pragma once

#include <array>
#include <optional>

#include "filtercore/box_value.h"
#include "filtercore/page_geometry.h"
#include "platform/gdiplus.h"

// How transverse feed treats a page (FinisherSettings::rotationKind).
enum RotationKind : INT {
    kNoTransverseFeed = 0,
    // Transverse feed; the content is turned a quarter turn.
    kTransverseTurned = 1,
    // Transverse feed of a Landscape or ReverseLandscape page: the content is
    // not turned.
    kTransverseLandscape = 2,
};

// The flip of a page's content (FinisherSettings::mirrorKind).
enum MirrorKind : INT {
    kNoMirror = 0,
    kFlipAcrossWidth = 1,   // left and right exchanged
    kFlipAcrossHeight = 2,  // top and bottom exchanged
    kHalfTurn = 3,
};

// The mirror kind of a MirrorSettings pair: a reverse image (a half turn)
// on top of a mirror across the width is a mirror across the height, and the
// other way round. An unknown mirror value counts as none.
MirrorKind MirrorKindOf(INT mirrorOption, INT reverse);

// kNoTransverseFeed unless transverse is set; then kTransverseLandscape for a
// Landscape or ReverseLandscape page and kTransverseTurned for a Portrait or
// ReversePortrait one.
RotationKind RotationKindOf(BOOL transverse, PageOrientation orientation);

// What a translation of the content transform is: nothing, or one side of
// the page as read (before any exchange).
enum class PageSide { None, Width, Height };

// The content transform x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy,
// with factors of -1, 0 or 1 and translations by a side of the page.
struct ContentTurn {
    int m11, m12, m21, m22;
    PageSide dx, dy;
};

// The transform that draws a page's content turned and flipped as the kinds
// say; nothing when the content stays as it is (no quarter turn and no
// mirror). A kTransverseLandscape page is flipped like an untransposed one.
std::optional<ContentTurn> ContentTurnFor(RotationKind rotationKind, MirrorKind mirrorKind);

// The value of a translation for a page of width x height.
float SideLength(PageSide side, float width, float height);

// The transform as a matrix, for a page of width x height.
Gdiplus::Matrix ContentTurnMatrix(const ContentTurn& turn, float width, float height);

struct PageExtent {
    float width = 0;
    float height = 0;
};

// The page's size after finishing: width and height exchanged by the
// quarter turn of kTransverseTurned, unchanged otherwise.
PageExtent FinishedPageSize(RotationKind rotationKind, float width, float height);

// Where a box of the content (a ContentBox or BleedBox) lies once the
// content is drawn with the transform on a page of width x height: the
// rectangle the transformed box covers.
Gdiplus::RectF TurnBox(const ContentTurn& turn, float width, float height, const Gdiplus::RectF& box);

// The rectangle the content is clipped to, in XPS units: the area's origin
// and extent (a negative extent, which no device reports, counts as 0).
Gdiplus::RectF ClipRectangle(const ImageableArea& area);

// One cut-out mark: a line from (x, y) of the given signed length, down
// (vertical) or to the right (horizontal) for a positive length.
struct CutMark {
    float x = 0;
    float y = 0;
    bool vertical = false;
    float length = 0;
};

inline constexpr size_t kCutMarkCount = 12;

// The marks at the four corners (two each, pointing inwards) and at the
// middle of each edge of the printable area, drawn 0.64 units inside it so
// that a stroke of 0.32 stays within it; each mark is a fifteenth of the
// area's width or height long. In this order: top left, top right, bottom
// left, bottom right (each vertical then horizontal), then left and right
// edge middles, then top and bottom edge middles.
std::array<CutMark, kCutMarkCount> CutOutMarks(const ImageableArea& area);

// The imageable area a page has when the device's capabilities cannot be
// read: the whole page (the media of the geometry, turned for Landscape and
// ReverseLandscape content) less the default device's margins
// (kDefaultDeviceMarginMicrons on every side). An extent never goes below 0.
ImageableArea DefaultDeviceImageableArea(const PageGeometry& geometry);
