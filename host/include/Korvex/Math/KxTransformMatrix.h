#pragma once

#include <array>

namespace Korvex::Math {

struct KxVector3d {
    double x = 0.0, y = 0.0, z = 0.0;
};

// A 4x4 double transform for column vectors (p' = M p, translation in
// column 3), stored row-major. Default construction gives the identity.
class KxTransformMatrix {
public:
    // What VerifyAndSetClass found; lets users skip work for simple matrices.
    enum class Class { Identity, Translation, Rigid, Affine, General };

    KxTransformMatrix();
    KxTransformMatrix(const KxTransformMatrix&) = default;
    KxTransformMatrix& operator=(const KxTransformMatrix&) = default;
    explicit KxTransformMatrix(const std::array<double, 16>& rowMajor);

    friend KxTransformMatrix operator*(const KxTransformMatrix& a, const KxTransformMatrix& b);

    // 16 floats column-major (element (r, c) at 4c + r), as a GLSL/std140 mat4 holds it.
    void ConvertToFloat16(float* out) const;

    // Rotation by angle (radians, right-handed) about the axis through point.
    void MakeRotation(const KxVector3d& point, const KxVector3d& axis, double angle);
    void MakeTranslation(const KxVector3d& offset);
    void Transpose();

    // Element (row, column), or (column, row) of the stored matrix when transposed is true.
    // Indices outside 0..3 read 0.0 and write nothing.
    double GetElement(int row, int column, bool transposed) const;
    void SetElement(int row, int column, double value);

    // Classifies the matrix; call after building it by hand.
    void VerifyAndSetClass();
    Class GetClass() const { return class_; }

    friend bool operator==(const KxTransformMatrix& a, const KxTransformMatrix& b) { return a.m_ == b.m_; }

private:
    std::array<double, 16> m_;
    Class class_ = Class::Identity;
};

}  // namespace Korvex::Math

namespace Korvex::Rendering {
using Math::KxTransformMatrix;
using Math::KxVector3d;
}  // namespace Korvex::Rendering
