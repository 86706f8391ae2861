#include "Camera.h"

#include "VectorMath.h"

#include <array>
#include <cmath>
#include <utility>

namespace Korvex::Rendering {

namespace {

KxTransformMatrix Classified(const std::array<double, 16>& rowMajor) {
    KxTransformMatrix matrix(rowMajor);
    matrix.VerifyAndSetClass();
    return matrix;
}

}  // namespace

KxTransformMatrix MakeLookAt(const KxVector3d& eye, const KxVector3d& target, const KxVector3d& up) {
    const KxVector3d f = Normalize(Subtract(target, eye));
    const KxVector3d s = Normalize(Cross(f, up));
    const KxVector3d u = Cross(s, f);
    return Classified({s.x, s.y, s.z, -Dot(s, eye),     //
                       u.x, u.y, u.z, -Dot(u, eye),     //
                       -f.x, -f.y, -f.z, Dot(f, eye),   //
                       0.0, 0.0, 0.0, 1.0});
}

KxTransformMatrix MakePerspective(double fovYRadians, double aspect, double nearPlane, double farPlane) {
    const double f = 1.0 / std::tan(fovYRadians * 0.5);
    const double depth = nearPlane - farPlane;
    return Classified({f / aspect, 0.0, 0.0, 0.0,                                 //
                       0.0, f, 0.0, 0.0,                                          //
                       0.0, 0.0, farPlane / depth, nearPlane * farPlane / depth,  //
                       0.0, 0.0, -1.0, 0.0});
}

KxTransformMatrix MakeOrthographic(double left, double right, double bottom, double top, double nearPlane,
                                   double farPlane) {
    const double depth = nearPlane - farPlane;
    return Classified({2.0 / (right - left), 0.0, 0.0, -(right + left) / (right - left),  //
                       0.0, 2.0 / (top - bottom), 0.0, -(top + bottom) / (top - bottom),  //
                       0.0, 0.0, 1.0 / depth, nearPlane / depth,                          //
                       0.0, 0.0, 0.0, 1.0});
}

std::optional<KxVector3d> Unproject(const KxTransformMatrix& viewProjection, double x, double y, double depth) {
    // M (p, 1) = w (x, y, depth, 1) is linear in p and w: the columns of M
    // for p, minus the target for w, equal minus M's last column.
    const std::array<double, 4> target{x, y, depth, 1.0};
    std::array<std::array<double, 5>, 4> rows{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c) rows[r][c] = viewProjection.GetElement(r, c, false);
        rows[r][3] = -target[r];
        rows[r][4] = -viewProjection.GetElement(r, 3, false);
    }
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int r = column + 1; r < 4; ++r)
            if (std::abs(rows[r][column]) > std::abs(rows[pivot][column])) pivot = r;
        if (std::abs(rows[pivot][column]) < 1e-300) return std::nullopt;
        std::swap(rows[pivot], rows[column]);
        for (int r = 0; r < 4; ++r) {
            if (r == column) continue;
            const double factor = rows[r][column] / rows[column][column];
            for (int c = column; c < 5; ++c) rows[r][c] -= factor * rows[column][c];
        }
    }
    return KxVector3d{rows[0][4] / rows[0][0], rows[1][4] / rows[1][1], rows[2][4] / rows[2][2]};
}

}  // namespace Korvex::Rendering
