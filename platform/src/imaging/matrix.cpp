#include <cmath>
#include <new>

#include "platform/gdiplus_matrix.h"

namespace Gdiplus {

namespace {

// Turns a negative zero into a positive one, so that "-0.000000" never
// reaches the markup a matrix is written into.
REAL Positive(REAL value) { return value + 0.0f; }

// The cosine and sine of a rotation; exact for whole quarter turns.
void RotationFactors(REAL angle, REAL* cosine, REAL* sine)
{
    double quarters = static_cast<double>(angle) / 90.0;
    if (quarters == std::floor(quarters) && std::isfinite(quarters)) {
        static constexpr REAL kCosines[] = {1, 0, -1, 0};
        static constexpr REAL kSines[] = {0, 1, 0, -1};
        int quarter = static_cast<int>(std::fmod(quarters, 4.0));
        if (quarter < 0) quarter += 4;
        *cosine = kCosines[quarter];
        *sine = kSines[quarter];
        return;
    }
    double radians = static_cast<double>(angle) * (3.14159265358979323846 / 180.0);
    *cosine = static_cast<REAL>(std::cos(radians));
    *sine = static_cast<REAL>(std::sin(radians));
}

}  // namespace

Matrix::Matrix(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy)
    : m11_(m11), m12_(m12), m21_(m21), m22_(m22), dx_(dx), dy_(dy)
{
}

Matrix* Matrix::Clone() const
{
    Matrix* copy = new (std::nothrow) Matrix(m11_, m12_, m21_, m22_, dx_, dy_);
    if (copy == nullptr) SetStatus(OutOfMemory);
    return copy;
}

Status Matrix::GetElements(REAL* elements) const
{
    if (elements == nullptr) return SetStatus(InvalidParameter);
    elements[0] = m11_;
    elements[1] = m12_;
    elements[2] = m21_;
    elements[3] = m22_;
    elements[4] = dx_;
    elements[5] = dy_;
    return Ok;
}

Status Matrix::SetElements(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy)
{
    m11_ = m11;
    m12_ = m12;
    m21_ = m21;
    m22_ = m22;
    dx_ = dx;
    dy_ = dy;
    return Ok;
}

Status Matrix::Reset() { return SetElements(1, 0, 0, 1, 0, 0); }

void Matrix::SetProduct(const Matrix& a, const Matrix& b)
{
    SetElements(Positive(a.m11_ * b.m11_ + a.m12_ * b.m21_), Positive(a.m11_ * b.m12_ + a.m12_ * b.m22_),
                Positive(a.m21_ * b.m11_ + a.m22_ * b.m21_), Positive(a.m21_ * b.m12_ + a.m22_ * b.m22_),
                Positive(a.dx_ * b.m11_ + a.dy_ * b.m21_ + b.dx_), Positive(a.dx_ * b.m12_ + a.dy_ * b.m22_ + b.dy_));
}

// Prepend: the operation acts first (operation x this); append: it acts
// last (this x operation).
Status Matrix::Combine(const Matrix& operation, MatrixOrder order)
{
    if (order != MatrixOrderPrepend && order != MatrixOrderAppend) return SetStatus(InvalidParameter);
    Matrix current(m11_, m12_, m21_, m22_, dx_, dy_);
    if (order == MatrixOrderPrepend)
        SetProduct(operation, current);
    else
        SetProduct(current, operation);
    return Ok;
}

Status Matrix::Multiply(const Matrix* matrix, MatrixOrder order)
{
    if (matrix == nullptr) return SetStatus(InvalidParameter);
    return Combine(*matrix, order);
}

Status Matrix::Translate(REAL offsetX, REAL offsetY, MatrixOrder order)
{
    return Combine(Matrix(1, 0, 0, 1, offsetX, offsetY), order);
}

Status Matrix::Scale(REAL scaleX, REAL scaleY, MatrixOrder order)
{
    return Combine(Matrix(scaleX, 0, 0, scaleY, 0, 0), order);
}

Status Matrix::Rotate(REAL angle, MatrixOrder order)
{
    REAL cosine = 1;
    REAL sine = 0;
    RotationFactors(angle, &cosine, &sine);
    return Combine(Matrix(cosine, sine, -sine, cosine, 0, 0), order);
}

bool Matrix::IsInvertible() const
{
    REAL determinant = m11_ * m22_ - m12_ * m21_;
    return determinant != 0 && std::isfinite(determinant);
}

Status Matrix::Invert()
{
    if (!IsInvertible()) return SetStatus(InvalidParameter);
    REAL determinant = m11_ * m22_ - m12_ * m21_;
    SetElements(Positive(m22_ / determinant), Positive(-m12_ / determinant), Positive(-m21_ / determinant),
                Positive(m11_ / determinant), Positive((m21_ * dy_ - m22_ * dx_) / determinant),
                Positive((m12_ * dx_ - m11_ * dy_) / determinant));
    return Ok;
}

bool Matrix::IsIdentity() const { return m11_ == 1 && m12_ == 0 && m21_ == 0 && m22_ == 1 && dx_ == 0 && dy_ == 0; }

bool Matrix::Equals(const Matrix* matrix) const
{
    if (matrix == nullptr) {
        SetStatus(InvalidParameter);
        return false;
    }
    return m11_ == matrix->m11_ && m12_ == matrix->m12_ && m21_ == matrix->m21_ && m22_ == matrix->m22_ &&
           dx_ == matrix->dx_ && dy_ == matrix->dy_;
}

Status Matrix::TransformPoints(PointF* points, INT count) const
{
    if (points == nullptr || count < 1) return SetStatus(InvalidParameter);
    for (INT i = 0; i < count; ++i) {
        PointF& point = points[i];
        REAL x = point.X * m11_ + point.Y * m21_ + dx_;
        REAL y = point.X * m12_ + point.Y * m22_ + dy_;
        point = PointF(x, y);
    }
    return Ok;
}

Status Matrix::GetLastStatus() const
{
    Status status = lastResult_;
    lastResult_ = Ok;
    return status;
}

Status Matrix::SetStatus(Status status) const
{
    if (status != Ok) lastResult_ = status;
    return status;
}

}  // namespace Gdiplus
