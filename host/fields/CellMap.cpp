#include "CellMap.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace Korvex::Fields {

namespace {

// Unit-cube positions of a hexahedron's corners in VTK's order; a
// quadrilateral uses the first four.
constexpr std::array<std::array<int, 3>, 8> kCubeCorner{
    {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}};

double Along(int end, double u) { return end != 0 ? u : 1.0 - u; }
double Slope(int end) { return end != 0 ? 1.0 : -1.0; }

struct Evaluation {
    ShapeWeights n{};
    std::array<Vec3, kMaxCorners> dn{};  // derivatives by r, s, t
};

void EvaluateTriangle(double r, double s, Evaluation& e) {
    e.n[0] = 1.0 - r - s;
    e.n[1] = r;
    e.n[2] = s;
    e.dn[0] = {-1.0, -1.0, 0.0};
    e.dn[1] = {1.0, 0.0, 0.0};
    e.dn[2] = {0.0, 1.0, 0.0};
}

void EvaluateQuad(double r, double s, Evaluation& e) {
    for (std::size_t i = 0; i < 4; ++i) {
        const auto [a, b, c] = kCubeCorner[i];
        e.n[i] = Along(a, r) * Along(b, s);
        e.dn[i] = {Slope(a) * Along(b, s), Along(a, r) * Slope(b), 0.0};
    }
}

Evaluation Evaluate(Shape shape, const Vec3& xi) {
    const auto [r, s, t] = xi;
    Evaluation e;
    switch (shape) {
    case Shape::Triangle:
        EvaluateTriangle(r, s, e);
        break;
    case Shape::Quad:
        EvaluateQuad(r, s, e);
        break;
    case Shape::Tetra:
        e.n = {1.0 - r - s - t, r, s, t};
        e.dn = {{{-1.0, -1.0, -1.0}, {1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};
        break;
    case Shape::Hexahedron:
        for (std::size_t i = 0; i < 8; ++i) {
            const auto [a, b, c] = kCubeCorner[i];
            e.n[i] = Along(a, r) * Along(b, s) * Along(c, t);
            e.dn[i] = {Slope(a) * Along(b, s) * Along(c, t), Along(a, r) * Slope(b) * Along(c, t),
                       Along(a, r) * Along(b, s) * Slope(c)};
        }
        break;
    case Shape::Wedge: {
        // The triangle (r, s) swept along t: corners 0-2 at t = 0, 3-5 at t = 1.
        Evaluation base;
        EvaluateTriangle(r, s, base);
        for (std::size_t i = 0; i < 6; ++i) {
            const int top = i < 3 ? 0 : 1;
            const std::size_t k = i % 3;
            e.n[i] = base.n[k] * Along(top, t);
            e.dn[i] = {base.dn[k][0] * Along(top, t), base.dn[k][1] * Along(top, t), base.n[k] * Slope(top)};
        }
        break;
    }
    case Shape::Pyramid: {
        // The base quadrilateral shrinks towards the apex, corner 4, at t = 1.
        Evaluation base;
        EvaluateQuad(r, s, base);
        for (std::size_t i = 0; i < 4; ++i) {
            e.n[i] = base.n[i] * (1.0 - t);
            e.dn[i] = {base.dn[i][0] * (1.0 - t), base.dn[i][1] * (1.0 - t), -base.n[i]};
        }
        e.n[4] = t;
        e.dn[4] = {0.0, 0.0, 1.0};
        break;
    }
    case Shape::None:
        break;
    }
    return e;
}

Vec3 Centre(Shape shape) {
    switch (shape) {
    case Shape::Triangle:
        return {1.0 / 3.0, 1.0 / 3.0, 0.0};
    case Shape::Quad:
        return {0.5, 0.5, 0.0};
    case Shape::Tetra:
        return {0.25, 0.25, 0.25};
    case Shape::Wedge:
        return {1.0 / 3.0, 1.0 / 3.0, 0.5};
    case Shape::Pyramid:
        return {0.5, 0.5, 0.2};
    default:
        return {0.5, 0.5, 0.5};
    }
}

constexpr int kMaxIterations = 16;
constexpr double kConverged = 1e-10;  // local units
constexpr double kDiverged = 1e3;
constexpr double kSingular = 1e-14;

// The rows of J's inverse, J's columns given, so that J step = r is solved
// by step_a = row_a . r; a shell's J has two columns and its rows give the
// least-squares step. Empty where J is singular.
std::optional<std::array<Vec3, 3>> InverseRows(int dimension, const std::array<Vec3, 3>& j) {
    if (dimension == 3) {
        const Vec3 j12 = Cross(j[1], j[2]);
        const double det = Dot(j[0], j12);
        if (!(std::abs(det) > kSingular * Length(j[0]) * Length(j[1]) * Length(j[2]))) return std::nullopt;
        return std::array<Vec3, 3>{(1.0 / det) * j12, (1.0 / det) * Cross(j[2], j[0]), (1.0 / det) * Cross(j[0], j[1])};
    }
    const double a00 = Dot(j[0], j[0]), a01 = Dot(j[0], j[1]), a11 = Dot(j[1], j[1]);
    const double det = a00 * a11 - a01 * a01;
    if (!(det > kSingular * a00 * a11)) return std::nullopt;
    return std::array<Vec3, 3>{(1.0 / det) * (a11 * j[0] - a01 * j[1]), (1.0 / det) * (a00 * j[1] - a01 * j[0]),
                               Vec3{}};
}

Vec3 Apply(const std::array<Vec3, 3>& rows, const Vec3& r) {
    return {Dot(rows[0], r), Dot(rows[1], r), Dot(rows[2], r)};
}

}  // namespace

CellMap::CellMap(Shape shape, const std::array<Vec3, kMaxCorners>& corners) : shape_(shape), corners_(corners) {
    const auto& c = corners;
    if (shape == Shape::Hexahedron)
        trilinear_ = {c[0],
                      c[1] - c[0],
                      c[3] - c[0],
                      c[4] - c[0],
                      c[2] - c[1] - c[3] + c[0],
                      c[5] - c[1] - c[4] + c[0],
                      c[7] - c[3] - c[4] + c[0],
                      c[6] - c[2] - c[5] - c[7] + c[1] + c[3] + c[4] - c[0]};
    if (shape != Shape::Tetra && shape != Shape::Triangle) return;
    // Local coordinate k runs from corner 0 to corner k + 1.
    const std::array<Vec3, 3> j{corners[1] - corners[0], corners[2] - corners[0], corners[3] - corners[0]};
    const auto rows = InverseRows(Dimension(shape), j);
    if (rows)
        linear_ = LinearInverse{corners[0], *rows};
    else
        degenerate_ = true;
}

std::pair<Vec3, std::array<Vec3, 3>> CellMap::PositionAndJacobian(const Vec3& xi) const {
    if (trilinear_) {
        const auto& a = *trilinear_;
        const auto [r, s, t] = xi;
        return {a[0] + r * a[1] + s * a[2] + t * a[3] + (r * s) * a[4] + (r * t) * a[5] + (s * t) * a[6] +
                    (r * s * t) * a[7],
                {a[1] + s * a[4] + t * a[5] + (s * t) * a[7], a[2] + r * a[4] + t * a[6] + (r * t) * a[7],
                 a[3] + r * a[5] + s * a[6] + (r * s) * a[7]}};
    }
    const Evaluation e = Evaluate(shape_, xi);
    Vec3 x{};
    std::array<Vec3, 3> j{};
    for (std::size_t i = 0; i < CornerCount(shape_); ++i) {
        x = x + e.n[i] * corners_[i];
        for (std::size_t a = 0; a < 3; ++a) j[a] = j[a] + e.dn[i][a] * corners_[i];
    }
    return {x, j};
}

std::optional<Vec3> CellMap::Locate(const Vec3& p, const std::optional<Vec3>& start) const {
    if (degenerate_) return std::nullopt;
    if (linear_) return Apply(linear_->rows, p - linear_->origin);
    Vec3 xi = start.value_or(Centre(shape_));
    double size = 0.0;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        const auto [x, j] = PositionAndJacobian(xi);
        if (iteration == 0) size = Length(j[0]) + Length(j[1]) + Length(j[2]);
        // At a pyramid's apex any (r, s) is the point: the step need not
        // settle, but p is reached.
        if (Length(p - x) <= kConverged * size) return xi;
        const auto rows = InverseRows(Dimension(shape_), j);
        if (!rows) return std::nullopt;
        const Vec3 step = Apply(*rows, p - x);
        xi = xi + step;
        if (std::max({std::abs(step[0]), std::abs(step[1]), std::abs(step[2])}) < kConverged) return xi;
        if (std::max({std::abs(xi[0]), std::abs(xi[1]), std::abs(xi[2])}) > kDiverged) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<CellMap::LinesAlong> CellMap::Lines(const Vec3& direction) const {
    if (!linear_ || shape_ != Shape::Tetra) return std::nullopt;
    const Vec3 slope = Apply(linear_->rows, direction);
    LinesAlong lines;
    lines.map_ = this;
    lines.rate_ = {-slope[0] - slope[1] - slope[2], slope[0], slope[1], slope[2]};
    return lines;
}

std::array<double, 2> CellMap::LinesAlong::Inside(const Vec3& p, double tolerance) const {
    const Vec3 at = Apply(map_->linear_->rows, p - map_->linear_->origin);
    const std::array<double, 4> base{1.0 - at[0] - at[1] - at[2], at[0], at[1], at[2]};
    std::array<double, 2> span{-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    for (std::size_t b = 0; b < 4; ++b) {
        // base + u * rate >= -tolerance
        const double bound = (-tolerance - base[b]) / rate_[b];
        if (rate_[b] > 0.0)
            span[0] = std::max(span[0], bound);
        else if (rate_[b] < 0.0)
            span[1] = std::min(span[1], bound);
        else if (base[b] < -tolerance)
            return {1.0, 0.0};
    }
    return span;
}

Vec3 CellMap::Position(const Vec3& xi) const { return PositionAndJacobian(xi).first; }

ShapeWeights CellMap::Weights(const Vec3& xi) const { return Evaluate(shape_, xi).n; }

double CellMap::Excess(const Vec3& xi) const {
    const auto [r, s, t] = xi;
    double excess = 0.0;
    switch (shape_) {
    case Shape::Triangle:
        excess = std::max({-r, -s, r + s - 1.0});
        break;
    case Shape::Quad:
        excess = std::max({-r, r - 1.0, -s, s - 1.0});
        break;
    case Shape::Tetra:
        excess = std::max({-r, -s, -t, r + s + t - 1.0});
        break;
    case Shape::Wedge:
        excess = std::max({-r, -s, r + s - 1.0, -t, t - 1.0});
        break;
    case Shape::Hexahedron:
    case Shape::Pyramid:
        excess = std::max({-r, r - 1.0, -s, s - 1.0, -t, t - 1.0});
        break;
    case Shape::None:
        break;
    }
    return std::max(excess, 0.0);
}

Vec3 CellMap::Clamped(Vec3 xi, double margin) const {
    const auto box = [&](double& u) { u = std::clamp(u, -margin, 1.0 + margin); };
    // Onto the simplex u_i >= -margin, sum <= 1 + margin: near enough to the
    // closest point for choosing where a value is taken from.
    const auto simplex = [&](std::size_t count) {
        double sum = 0.0;
        for (std::size_t a = 0; a < count; ++a) sum += xi[a] = std::max(xi[a], -margin);
        if (sum <= 1.0 + margin) return;
        const double shift = (sum - 1.0 - margin) / static_cast<double>(count);
        for (std::size_t a = 0; a < count; ++a) xi[a] = std::max(xi[a] - shift, -margin);
    };
    switch (shape_) {
    case Shape::Triangle:
        simplex(2);
        xi[2] = 0.0;
        break;
    case Shape::Quad:
        box(xi[0]);
        box(xi[1]);
        xi[2] = 0.0;
        break;
    case Shape::Tetra:
        simplex(3);
        break;
    case Shape::Wedge:
        simplex(2);
        box(xi[2]);
        break;
    case Shape::Hexahedron:
    case Shape::Pyramid:
        for (double& u : xi) box(u);
        break;
    case Shape::None:
        break;
    }
    return xi;
}

}  // namespace Korvex::Fields
