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
    void SetClip(Gdiplus::PointF first, Gdiplus::PointF second) { clip_ = Clip{first, second}; }
    // False when no clip was set.
    bool GetClip(Gdiplus::PointF* first, Gdiplus::PointF* second) const
    {
        if (!clip_) return false;
        *first = clip_->first;
        *second = clip_->second;
        return true;
    }

private:
    struct Clip {
        Gdiplus::PointF first, second;
    };
    Gdiplus::Matrix matrix_;
    std::optional<Clip> clip_;
};
