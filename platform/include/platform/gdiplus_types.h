// The GDI+ status codes and the two geometry values, PointF and RectF, in
// single precision as GDI+ computes.
#pragma once

#include "platform/types.h"

namespace Gdiplus {

using REAL = float;

enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
    ProfileNotFound = 21,
};

enum MatrixOrder {
    MatrixOrderPrepend = 0,
    MatrixOrderAppend = 1,
};

struct PointF {
    PointF() = default;
    PointF(REAL x, REAL y) : X(x), Y(y) {}
    bool Equals(const PointF& point) const { return X == point.X && Y == point.Y; }
    bool operator==(const PointF&) const = default;

    REAL X = 0;
    REAL Y = 0;
};

// A rectangle by its top-left corner and its size; a negative size is kept
// as it is given.
struct RectF {
    RectF() = default;
    RectF(REAL x, REAL y, REAL width, REAL height) : X(x), Y(y), Width(width), Height(height) {}
    REAL GetLeft() const { return X; }
    REAL GetTop() const { return Y; }
    REAL GetRight() const { return X + Width; }
    REAL GetBottom() const { return Y + Height; }
    bool Equals(const RectF& rect) const { return *this == rect; }
    bool operator==(const RectF&) const = default;

    REAL X = 0;
    REAL Y = 0;
    REAL Width = 0;
    REAL Height = 0;
};

}  // namespace Gdiplus
