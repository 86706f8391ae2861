#include "meshes/triangle/CapPlacement.h"

#include "core/TransformConstants.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

namespace Korvex::Rendering::detail {

namespace {

// |(x, y, z)| without overflow or underflow: m * sqrt(1 + (a/m)^2 + (b/m)^2),
// m the largest magnitude.
double ScaledLength(double x, double y, double z) {
    std::array<double, 3> magnitudes{std::abs(x), std::abs(y), std::abs(z)};
    std::sort(magnitudes.begin(), magnitudes.end());
    const double m = std::max(magnitudes[2], std::numeric_limits<double>::denorm_min());
    const double a = magnitudes[0] / m;
    const double b = magnitudes[1] / m;
    return m * std::sqrt(1.0 + a * a + b * b);
}

// z when |n.z| is the largest, else y when |n.y| >= |n.x|, else x.
std::size_t DominantAxis(const std::array<float, 3>& n) {
    const float x = std::abs(n[0]), y = std::abs(n[1]), z = std::abs(n[2]);
    if (z >= x && z >= y) return 2;
    return y >= x ? 1 : 0;
}

// Turns (0, 0, 1) onto the unit normal n.
KxTransformMatrix RotationOntoNormal(const std::array<float, 3>& n) {
    // (0, 0, 1) x n
    KxVector3d axis{-n[1], n[0], 0.0f};
    float angle = std::acos(std::clamp(n[2], -1.0f, 1.0f));
    if (n[0] == 0.0f && n[1] == 0.0f) {
        // Normal along z: no axis from the cross product. A half turn about x
        // flips the quad over within z = 0.
        axis = {1.0, 0.0, 0.0};
        angle = n[2] < 0.0f ? std::numbers::pi_v<float> : 0.0f;
    }
    KxTransformMatrix rotation;
    rotation.MakeRotation({0.0, 0.0, 0.0}, axis, angle);
    rotation.VerifyAndSetClass();
    return rotation;
}

}  // namespace

std::array<VertexPN, 6> CapQuadVertices(const boundingbox<float, 3>& box) {
    const float dx = box.max[0] - box.min[0];
    const float dy = box.max[1] - box.min[1];
    const float dz = box.max[2] - box.min[2];
    const float s = static_cast<float>(2.0 * ScaledLength(dx, dy, dz));
    const auto vertex = [](float x, float y) { return VertexPN{{x, y, 0.0f}, {0.0f, 0.0f, -1.0f}}; };
    return {vertex(-s, -s), vertex(s, s), vertex(s, -s), vertex(-s, -s), vertex(-s, s), vertex(s, s)};
}

Float4 PlaneToModel(const KxTransformMatrix& model, const ClipPlane& plane) {
    KxTransformMatrix transposed = model;
    transposed.Transpose();
    transposed.VerifyAndSetClass();
    const std::array<float, 4> coefficients{plane.a, plane.b, plane.c, plane.d};
    Float4 modelPlane{};
    for (int row = 0; row < 4; ++row) {
        float sum = 0.0f;
        for (int column = 0; column < 4; ++column)
            sum = static_cast<float>(sum + transposed.GetElement(row, column, false) * coefficients[column]);
        modelPlane[row] = sum;
    }
    return modelPlane;
}

void ComputeCapConstants(TriangleConstants& constants, const ClipPlane& plane, const boundingbox<float, 3>& box,
                         const KxTransformMatrix& model, const KxTransformMatrix& view,
                         const KxTransformMatrix& projection) {
    const Float4 modelPlane = PlaneToModel(model, plane);
    std::array<float, 3> n{modelPlane[0], modelPlane[1], modelPlane[2]};
    const double length = ScaledLength(n[0], n[1], n[2]);
    if (length != 0.0)
        for (float& component : n) component = static_cast<float>(component / length);

    std::array<float, 3> centre;
    for (std::size_t i = 0; i < 3; ++i) centre[i] = (box.min[i] + box.max[i]) * 0.5f;
    // Along the dominant axis from the box centre to the plane.
    const std::size_t axis = DominantAxis(n);
    const float t = (-modelPlane[3] - (n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2])) / n[axis];
    std::array<float, 3> onPlane = centre;
    onPlane[axis] += t;

    KxTransformMatrix translation;
    translation.MakeTranslation({onPlane[0], onPlane[1], onPlane[2]});
    translation.VerifyAndSetClass();
    KxTransformMatrix unitPlane = translation * RotationOntoNormal(n);
    unitPlane.VerifyAndSetClass();
    unitPlane.ConvertToFloat16(constants.unit_plane_matrix.data());
    WriteTransforms(constants, model, view, projection);
}

}  // namespace Korvex::Rendering::detail
