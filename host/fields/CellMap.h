#pragma once

#include "CellShapes.h"
#include "Vec3.h"

#include <array>
#include <optional>
#include <utility>

namespace Korvex::Fields {

using ShapeWeights = std::array<double, kMaxCorners>;

// The isoparametric map of one cell, x(xi) = sum of N_i(xi) * corner_i, with
// VTK's parametric coordinates: xi in [0, 1] per axis, simplices where
// r + s (+ t) <= 1. Because the shape functions sum to one and reproduce
// the corners, a field linear in x is interpolated exactly in every shape.
class CellMap {
public:
    CellMap(Shape shape, const std::array<Vec3, kMaxCorners>& corners);

    // A solid's local coordinates of p, found by Newton's method from the
    // cell's centre (one step in a tetrahedron); a shell's are those of the
    // point of its surface, extended beyond its edges, closest to p. Empty
    // where the iteration does not converge (far outside a distorted cell).
    // start: where the iteration begins instead of the centre, such as the
    // local coordinates of a sample next to p.
    std::optional<Vec3> Locate(const Vec3& p, const std::optional<Vec3>& start = std::nullopt) const;
    // Where lines along one direction cross a tetrahedron.
    class LinesAlong {
    public:
        // The u for which p + u * direction lies in the cell (barycentric
        // coordinates above -tolerance), as [first, last]; first > last
        // when none does.
        std::array<double, 2> Inside(const Vec3& p, double tolerance) const;

    private:
        friend class CellMap;
        const CellMap* map_ = nullptr;
        std::array<double, 4> rate_{};  // of the barycentric coordinates, per unit of u
    };
    // Empty for shapes other than the tetrahedron.
    std::optional<LinesAlong> Lines(const Vec3& direction) const;
    Vec3 Position(const Vec3& xi) const;
    ShapeWeights Weights(const Vec3& xi) const;
    // How far xi lies outside the cell in local units; 0 inside.
    double Excess(const Vec3& xi) const;
    // xi moved into the cell grown by margin local units on every side.
    Vec3 Clamped(Vec3 xi, double margin) const;

private:
    std::pair<Vec3, std::array<Vec3, 3>> PositionAndJacobian(const Vec3& xi) const;

    Shape shape_;
    std::array<Vec3, kMaxCorners> corners_;
    // Tetrahedra and triangles map linearly: xi_a = row_a . (p - corner 0),
    // kept, since a cell tests many samples.
    struct LinearInverse {
        Vec3 origin;
        std::array<Vec3, 3> rows;
    };
    std::optional<LinearInverse> linear_;
    // A hexahedron's map as a polynomial, a0 + a1 r + a2 s + a3 t + a4 rs +
    // a5 rt + a6 st + a7 rst: cheaper to evaluate than its 8 shape functions.
    std::optional<std::array<Vec3, 8>> trilinear_;
    bool degenerate_ = false;
};

}  // namespace Korvex::Fields
