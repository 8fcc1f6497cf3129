// The GDI+ 3x2 matrix: an affine transform in single precision.
//
// A point is a row vector (x, y, 1) multiplied by the matrix
//   | m11 m12 0 |
//   | m21 m22 0 |
//   | dx  dy  1 |
// so x' = x m11 + y m21 + dx and y' = x m12 + y m22 + dy. An operation
// given MatrixOrderPrepend (the default) acts before what the matrix already
// does, one given MatrixOrderAppend after it. With y growing downward, as on
// a page, a positive rotation angle turns clockwise.
//
// Every operation returns its status; a failure is also kept as the
// matrix's last status, which GetLastStatus returns once and clears. A
// failed operation leaves the matrix as it was.
#pragma once

#include "platform/gdiplus_types.h"

namespace Gdiplus {

class Matrix {
public:
    // The identity.
    Matrix() = default;
    Matrix(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy);

    // A new matrix with the same elements, owned by the caller.
    Matrix* Clone() const;

    // m11, m12, m21, m22, dx, dy. InvalidParameter for a null array.
    Status GetElements(REAL* elements) const;
    Status SetElements(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy);
    REAL OffsetY() const { return dy_; }
    // Back to the identity.
    Status Reset();

    // InvalidParameter for a null matrix.
    Status Multiply(const Matrix* matrix, MatrixOrder order = MatrixOrderPrepend);
    Status Translate(REAL offsetX, REAL offsetY, MatrixOrder order = MatrixOrderPrepend);
    Status Scale(REAL scaleX, REAL scaleY, MatrixOrder order = MatrixOrderPrepend);
    // By angle degrees: the matrix (cos, sin, -sin, cos, 0, 0). Whole
    // multiples of 90 degrees give exact factors of 0 and 1.
    Status Rotate(REAL angle, MatrixOrder order = MatrixOrderPrepend);

    // InvalidParameter, with the matrix unchanged, when it has no inverse.
    Status Invert();
    bool IsInvertible() const;
    bool IsIdentity() const;
    bool Equals(const Matrix* matrix) const;

    // Transforms count points in place. InvalidParameter for null points or
    // a count below 1.
    Status TransformPoints(PointF* points, INT count = 1) const;

    // The status of the last failed operation, or Ok; reading it clears it.
    Status GetLastStatus() const;

private:
    // this = first x second, as the row-vector convention composes them:
    // first acts, then second.
    void SetProduct(const Matrix& first, const Matrix& second);
    Status Combine(const Matrix& operation, MatrixOrder order);
    Status SetStatus(Status status) const;

    REAL m11_ = 1, m12_ = 0, m21_ = 0, m22_ = 1, dx_ = 0, dy_ = 0;
    mutable Status lastResult_ = Ok;
};

}  // namespace Gdiplus
