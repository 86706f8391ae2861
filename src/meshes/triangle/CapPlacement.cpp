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

// The eye as a homogeneous world point: the camera centre, which projection
// * view sends to x = y = w = 0; rows 0, 1 and 3 give it as their null vector,
// component j the signed minor without column j. A finite eye gets w > 0;
// an orthographic one lies at infinity (w = 0) on the side where depth falls.
std::array<double, 4> EyePoint(const KxTransformMatrix& view, const KxTransformMatrix& projection) {
    const KxTransformMatrix m = projection * view;
    constexpr int kRows[3] = {0, 1, 3};
    std::array<double, 4> eye{};
    for (int j = 0; j < 4; ++j) {
        std::array<int, 3> columns{};
        for (int c = 0, k = 0; c < 4; ++c)
            if (c != j) columns[std::size_t(k++)] = c;
        const auto e = [&](int r, int c) { return m.GetElement(kRows[r], columns[std::size_t(c)], false); };
        const double minor = e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
                             e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
                             e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
        eye[std::size_t(j)] = j % 2 == 0 ? minor : -minor;
    }
    double depthTowardEye = 0.0;
    for (int c = 0; c < 4; ++c) depthTowardEye += m.GetElement(2, c, false) * eye[std::size_t(c)];
    if ((eye[3] != 0.0 ? eye[3] : -depthTowardEye) < 0.0)
        for (double& component : eye) component = -component;
    return eye;
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

Float4 PlaneFacingAwayFromEye(const ClipPlane& plane, const KxTransformMatrix& view,
                              const KxTransformMatrix& projection) {
    const std::array<double, 4> eye = EyePoint(view, projection);
    const double eyeSide = plane.a * eye[0] + plane.b * eye[1] + plane.c * eye[2] + plane.d * eye[3];
    const float sign = eyeSide > 0.0 ? -1.0f : 1.0f;
    return {sign * plane.a, sign * plane.b, sign * plane.c, sign * plane.d};
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

void FitCapToBox(TriangleConstants& constants, const boundingbox<float, 3>& box) {
    Float4x4& m = constants.unit_plane_matrix;
    using Vector = std::array<double, 3>;
    // The quad's axes and centre in model space (columns 0, 1, 2 and 3).
    const auto column = [&](std::size_t c) { return Vector{m[4 * c], m[4 * c + 1], m[4 * c + 2]}; };
    const Vector x = column(0), y = column(1), normal = column(2), centre = column(3);
    const auto fromCentre = [&](const Vector& axis, const Vector& p) {
        return axis[0] * (p[0] - centre[0]) + axis[1] * (p[1] - centre[1]) + axis[2] * (p[2] - centre[2]);
    };
    const auto corner = [&](unsigned bits) {
        return Vector{bits & 1u ? box.max[0] : box.min[0], bits & 2u ? box.max[1] : box.min[1],
                      bits & 4u ? box.max[2] : box.min[2]};
    };
    double halfWidth = 0.0, halfHeight = 0.0;
    const auto cover = [&](const Vector& p) {
        halfWidth = std::max(halfWidth, std::abs(fromCentre(x, p)));
        halfHeight = std::max(halfHeight, std::abs(fromCentre(y, p)));
    };
    // The corners in the plane, and where it crosses each of the twelve edges
    // (corners a and a + one axis).
    for (unsigned a = 0; a < 8; ++a) {
        if (fromCentre(normal, corner(a)) == 0.0) cover(corner(a));
        for (unsigned axis = 1; axis < 8; axis <<= 1) {
            if ((a & axis) != 0) continue;
            const Vector p = corner(a), q = corner(a | axis);
            const double dp = fromCentre(normal, p), dq = fromCentre(normal, q);
            if ((dp < 0.0 && dq > 0.0) || (dp > 0.0 && dq < 0.0)) {
                const double t = dp / (dp - dq);
                cover({p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1]), p[2] + t * (q[2] - p[2])});
            }
        }
    }
    // A thousandth more, so that the rectangle's rim does not fall short of
    // the box through rounding.
    constexpr double kRim = 1.001;
    const double halfSide = CapQuadVertices(box)[1].position[0];
    for (std::size_t row = 0; row < 3; ++row) {
        m[row] = static_cast<float>(m[row] * kRim * halfWidth / halfSide);
        m[4 + row] = static_cast<float>(m[4 + row] * kRim * halfHeight / halfSide);
    }
}

}  // namespace Korvex::Rendering::detail
