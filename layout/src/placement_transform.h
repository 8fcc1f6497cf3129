// PlacementTransform: where a page goes in the part it is written into:
// the matrix from page to sheet coordinates and the part of the page that
// shows (a rectangle in page coordinates, 1/96 inch), when there is one.
#pragma once

#include <optional>

#include "platform/gdiplus.h"

class PlacementTransform {
public:
    void Set(const Gdiplus::Matrix& matrix) { matrix_ = matrix; }
    void GetMatrix(Gdiplus::Matrix* matrix) const { *matrix = matrix_; }
    void SetClip(const Gdiplus::RectF& clip) { clip_ = clip; }
    // False when no clip was set.
    bool GetClip(Gdiplus::RectF* clip) const
    {
        if (!clip_) return false;
        *clip = *clip_;
        return true;
    }

private:
    Gdiplus::Matrix matrix_;
    std::optional<Gdiplus::RectF> clip_;
};
