#include <Korvex/Math/KxTransformMatrix.h>

#include <cmath>
#include <utility>

namespace Korvex::Math {

namespace {

constexpr std::array<double, 16> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Tolerance for classifying hand-built matrices: rotations that passed
// through floats are orthonormal only to about 1e-7.
constexpr double kClassTolerance = 1e-6;

bool Near(double a, double b) { return std::fabs(a - b) <= kClassTolerance; }

bool InRange(int row, int column) { return row >= 0 && row < 4 && column >= 0 && column < 4; }

}  // namespace

KxTransformMatrix::KxTransformMatrix() : m_(kIdentity) {}

KxTransformMatrix::KxTransformMatrix(const std::array<double, 16>& rowMajor) : m_(rowMajor) { VerifyAndSetClass(); }

KxTransformMatrix operator*(const KxTransformMatrix& a, const KxTransformMatrix& b) {
    std::array<double, 16> r{};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a.m_[row * 4 + k] * b.m_[k * 4 + col];
            r[row * 4 + col] = sum;
        }
    return KxTransformMatrix(r);
}

void KxTransformMatrix::ConvertToFloat16(float* out) const {
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) out[col * 4 + row] = static_cast<float>(m_[row * 4 + col]);
}

void KxTransformMatrix::MakeRotation(const KxVector3d& point, const KxVector3d& axis, double angle) {
    const double length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (length == 0.0) {  // no axis: no rotation
        m_ = kIdentity;
        class_ = Class::Identity;
        return;
    }
    const double x = axis.x / length, y = axis.y / length, z = axis.z / length;
    const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    // Rodrigues' rotation matrix.
    const double r[3][3] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                            {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                            {t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
    const double p[3] = {point.x, point.y, point.z};
    m_ = kIdentity;
    for (int row = 0; row < 3; ++row) {
        double moved = 0.0;
        for (int col = 0; col < 3; ++col) {
            m_[row * 4 + col] = r[row][col];
            moved += r[row][col] * p[col];
        }
        // Rotating about a point: translate it to the origin and back.
        m_[row * 4 + 3] = p[row] - moved;
    }
    // A zero angle gives the identity, so classify what was built.
    VerifyAndSetClass();
}

void KxTransformMatrix::MakeTranslation(const KxVector3d& offset) {
    m_ = kIdentity;
    m_[3] = offset.x;
    m_[7] = offset.y;
    m_[11] = offset.z;
    VerifyAndSetClass();
}

void KxTransformMatrix::Transpose() {
    for (int row = 0; row < 4; ++row)
        for (int col = row + 1; col < 4; ++col) std::swap(m_[row * 4 + col], m_[col * 4 + row]);
    // A transposed translation is no longer affine.
    VerifyAndSetClass();
}

double KxTransformMatrix::GetElement(int row, int column, bool transposed) const {
    if (!InRange(row, column)) return 0.0;
    return transposed ? m_[column * 4 + row] : m_[row * 4 + column];
}

void KxTransformMatrix::SetElement(int row, int column, double value) {
    if (InRange(row, column)) m_[row * 4 + column] = value;
}

void KxTransformMatrix::VerifyAndSetClass() {
    const bool affine = m_[12] == 0.0 && m_[13] == 0.0 && m_[14] == 0.0 && m_[15] == 1.0;
    if (!affine) {
        class_ = Class::General;
        return;
    }
    bool identityLinear = true;
    bool orthonormal = true;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            if (m_[i * 4 + j] != (i == j ? 1.0 : 0.0)) identityLinear = false;
            double dot = 0.0;
            for (int k = 0; k < 3; ++k) dot += m_[k * 4 + i] * m_[k * 4 + j];
            if (!Near(dot, i == j ? 1.0 : 0.0)) orthonormal = false;
        }
    const bool translated = m_[3] != 0.0 || m_[7] != 0.0 || m_[11] != 0.0;
    if (identityLinear)
        class_ = translated ? Class::Translation : Class::Identity;
    else
        class_ = orthonormal ? Class::Rigid : Class::Affine;
}

}  // namespace Korvex::Math
