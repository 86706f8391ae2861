// The host's math and utilities: matrices, normal matrices, box transforms,
// string ids and the index reordering.

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/Gpu/Utilities.h>
#include <Korvex/Rendering/StringId.h>
#include <Korvex/Rendering/Utilities.h>

#include <meshoptimizer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace Korvex::Rendering {
namespace {

constexpr double kPi = std::numbers::pi;

// Rotations go through sin and cos, so exact zeros come out as about 1e-16.
constexpr double kTolerance = 1e-12;

using Vec4 = std::array<double, 4>;

Vec4 Apply(const KxTransformMatrix& m, const Vec4& v) {
    Vec4 result{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) result[r] += m.GetElement(r, c, false) * v[c];
    return result;
}

Vec4 Point(double x, double y, double z) { return {x, y, z, 1.0}; }

KxTransformMatrix Rotation(const KxVector3d& point, const KxVector3d& axis, double angle) {
    KxTransformMatrix m;
    m.MakeRotation(point, axis, angle);
    return m;
}

KxTransformMatrix Translation(const KxVector3d& offset) {
    KxTransformMatrix m;
    m.MakeTranslation(offset);
    return m;
}

void ExpectNear(const Vec4& actual, const Vec4& expected) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], kTolerance) << "component " << i;
}

void ExpectNear(const KxTransformMatrix& actual, const std::array<double, 16>& rowMajor) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.GetElement(r, c, false), rowMajor[r * 4 + c], kTolerance) << "element " << r << "," << c;
}

TEST(KxTransformMatrixTest, ProductAppliesRightOperandFirst) {
    // Two shears whose products differ in either order, worked out by hand.
    const KxTransformMatrix a({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const KxTransformMatrix b({1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    ExpectNear(a * b, {7, 2, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    ExpectNear(b * a, {1, 2, 0, 0, 3, 7, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

    // Translate after rotating, and rotate after translating.
    const KxTransformMatrix rotate = Rotation({}, {0, 0, 1}, kPi / 2);
    const KxTransformMatrix translate = Translation({1, 0, 0});
    ExpectNear(Apply(translate * rotate, Point(1, 0, 0)), Point(1, 1, 0));
    ExpectNear(Apply(rotate * translate, Point(1, 0, 0)), Point(0, 2, 0));
}

TEST(KxTransformMatrixTest, MakeRotationTurnsRightHandedAboutItsPoint) {
    struct Case { std::string name; KxVector3d point; KxVector3d axis; double angle; Vec4 in; Vec4 expected; };
    const double s = std::sqrt(0.5);
    const Case cases[] = {
        {"y quarter turn", {}, {0, 1, 0}, kPi / 2, Point(0, 0, 1), Point(1, 0, 0)},
        {"z quarter turn", {}, {0, 0, 1}, kPi / 2, Point(1, 0, 0), Point(0, 1, 0)},
        {"x quarter turn", {}, {1, 0, 0}, kPi / 2, Point(0, 1, 0), Point(0, 0, 1)},
        {"negative angle", {}, {0, 0, 1}, -kPi / 2, Point(1, 0, 0), Point(0, -1, 0)},
        {"axis not normalised", {}, {0, 0, 5}, kPi / 4, Point(1, 0, 0), Point(s, s, 0)},
        {"diagonal axis cycles the axes", {}, {1, 1, 1}, 2 * kPi / 3, Point(1, 0, 0), Point(0, 1, 0)},
        {"point on the axis stays", {1, 2, 3}, {0, 0, 1}, kPi / 2, Point(1, 2, 3), Point(1, 2, 3)},
        {"point off the axis turns about it", {1, 2, 3}, {0, 0, 1}, kPi / 2, Point(2, 2, 3), Point(1, 3, 3)},
        {"half turn about an offset axis", {1, 0, 0}, {0, 1, 0}, kPi, Point(0, 0, 0), Point(2, 0, 0)},
        {"directions ignore the point", {1, 2, 3}, {0, 0, 1}, kPi / 2, {1, 0, 0, 0}, {0, 1, 0, 0}},
        {"zero axis gives identity", {1, 2, 3}, {0, 0, 0}, kPi / 2, Point(4, 5, 6), Point(4, 5, 6)},
    };
    ExpectNear(Apply(Translation({4, -5, 6}), Point(1, 2, 3)), Point(5, -3, 9));
    ExpectNear(Apply(Translation({4, -5, 6}), {1, 2, 3, 0}), {1, 2, 3, 0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectNear(Apply(Rotation(c.point, c.axis, c.angle), c.in), c.expected);
    }
}


TEST(NormalMatrixTest, IsTheInverseTransposeOfTheLinearPart) {
    const double c = std::cos(0.4), s = std::sin(0.4);
    const struct Case { std::string name; KxTransformMatrix matrix; std::array<double, 16> expected; } cases[] = {
        {"non-uniform scale",
         KxTransformMatrix({2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1}),
         {0.5, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}},
        // inverse [[1, -2], [0, 1]], transposed
        {"shear", KxTransformMatrix({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
         {1, 0, 0, 0, -2, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"a rotation is its own, a translation dropped", Translation({5, 6, 7}) * Rotation({}, {0, 0, 1}, 0.4),
         {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        // (R S)^-T = R S^-1
        {"rotation after scale",
         Rotation({}, {0, 0, 1}, 0.4) * KxTransformMatrix({2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
         {c / 2, -s, 0, 0, s / 2, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"projection row is dropped",
         KxTransformMatrix({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 1, 0, 0, -1, 0}),
         {0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        // Singular: the cofactor matrix, still finite.
        {"flattening scale", KxTransformMatrix({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 1}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ExpectNear(ToNormalMatrix(k.matrix), k.expected);
    }
}

using Box = boundingbox<float, 3>;


void ExpectBoxNear(const Box& actual, const Box& expected) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual.min[i], expected.min[i], 1e-5) << "min " << i;
        EXPECT_NEAR(actual.max[i], expected.max[i], 1e-5) << "max " << i;
    }
}

TEST(TransformTest, EnclosesTheTransformedCorners) {
    const float r2 = static_cast<float>(std::sqrt(2.0));
    const struct Case { std::string name; Box box; KxTransformMatrix matrix; Box expected; } cases[] = {
        {"identity", Box({0, 1, 2}, {3, 4, 5}), KxTransformMatrix(), Box({0, 1, 2}, {3, 4, 5})},
        {"translation", Box({0, 1, 2}, {3, 4, 5}), Translation({1, -1, 10}), Box({1, 0, 12}, {4, 3, 15})},
        // (x, y, z) -> (10 - y, x, z)
        {"rotation then translation", Box({0, 0, 0}, {1, 2, 3}),
         Translation({10, 0, 0}) * Rotation({}, {0, 0, 1}, kPi / 2), Box({8, 0, 0}, {10, 1, 3})},
        // Only the corners, not min and max alone, reach the diagonal extent.
        {"eighth turn", Box({-1, -1, -1}, {1, 1, 1}), Rotation({}, {0, 0, 1}, kPi / 4),
         Box({-r2, -r2, -1}, {r2, r2, 1})},
        {"mirroring scale", Box({1, 1, 1}, {2, 3, 4}),
         KxTransformMatrix({-2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1}), Box({-4, 1, 0.5f}, {-2, 3, 2})},
        {"point box", Box({1, 2, 3}, {1, 2, 3}), Translation({1, 1, 1}), Box({2, 3, 4}, {2, 3, 4})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectBoxNear(Transform(c.box, c.matrix), c.expected);
    }
}

// Published FNV-1a 64 test vectors; a copy of a name gives the same id.
TEST(StringIdTest, ValueIsFnv1a64OfTheName) {
    EXPECT_EQ(StringId("").Value(), 0xcbf29ce484222325ull);
    EXPECT_EQ(StringId("a").Value(), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(StringId(std::string("foobar").c_str()).Value(), 0x85944171f73967e8ull);
    EXPECT_NE(StringId("ab"), StringId("ba"));
}

using Indices = std::vector<std::uint16_t>;
using Triangle = std::array<std::uint16_t, 3>;

struct Mesh { Indices indices; std::uint32_t vertexCount = 0; };

// Two triangles per cell of a (cells x cells) grid, in a random order when seeded.
Mesh Grid(int cells, unsigned seed = 0) {
    const int side = cells + 1;
    std::vector<Triangle> triangles;
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const auto v = [&](int dx, int dy) { return static_cast<std::uint16_t>((y + dy) * side + x + dx); };
            triangles.push_back({v(0, 0), v(1, 0), v(1, 1)});
            triangles.push_back({v(0, 0), v(1, 1), v(0, 1)});
        }
    if (seed != 0) std::shuffle(triangles.begin(), triangles.end(), std::mt19937(seed));
    Mesh mesh{{}, static_cast<std::uint32_t>(side * side)};
    for (const Triangle& t : triangles) mesh.indices.insert(mesh.indices.end(), t.begin(), t.end());
    return mesh;
}

Indices Optimised(const Mesh& mesh, std::uint16_t cacheSize = 32) {
    Indices out(mesh.indices.size());
    Tipsify(mesh.indices.data(), out.data(), static_cast<std::uint32_t>(mesh.indices.size()), mesh.vertexCount, 3,
            cacheSize);
    return out;
}

// The cache size and the vertex count reach the FIFO optimiser as given, so
// its guarantees (every triangle kept whole, fewer cache misses) hold.
TEST(TipsifyTest, PassesItsArgumentsToTheFifoOptimiser) {
    const Mesh mesh = Grid(12, 3);
    std::vector<Indices> results;
    for (const std::uint16_t cacheSize : std::array<std::uint16_t, 3>{3, 16, 32}) {
        Indices expected(mesh.indices.size());
        meshopt_optimizeVertexCacheFifo(expected.data(), mesh.indices.data(), mesh.indices.size(), mesh.vertexCount,
                                        cacheSize);
        results.push_back(Optimised(mesh, cacheSize));
        EXPECT_EQ(results.back(), expected) << "cache of " << cacheSize;
        EXPECT_NE(results.back(), mesh.indices) << "cache of " << cacheSize;
    }
    EXPECT_NE(results[1], results[2]) << "the cache size makes a difference here";

    Indices inPlace = mesh.indices;
    Tipsify(inPlace.data(), inPlace.data(), static_cast<std::uint32_t>(inPlace.size()), mesh.vertexCount, 3, 32);
    EXPECT_EQ(inPlace, results[2]) << "in place";
}

TEST(TipsifyTest, InputItCannotReorderIsCopiedUnchanged) {
    const Mesh grid = Grid(3, 1);
    const auto count = static_cast<std::uint32_t>(grid.indices.size());
    Indices outOfRange = grid.indices;
    outOfRange[5] = static_cast<std::uint16_t>(grid.vertexCount);
    const struct {
        std::string name;
        std::uint32_t indexCount, vertexCount, verticesPerPrimitive;
        std::uint16_t cacheSize;
        Indices input;
    } cases[] = {
        {"lines", count, grid.vertexCount, 2, 32, grid.indices},
        {"partial triangle", count - 1, grid.vertexCount, 3, 32, grid.indices},
        {"cache too small", count, grid.vertexCount, 3, 2, grid.indices},
        {"index beyond the vertices", count, grid.vertexCount, 3, 32, outOfRange},
        {"no indices", 0, grid.vertexCount, 3, 32, grid.indices},
    };
    for (const auto& c : cases) {
        Indices out(c.input.size(), 0xBEEF);
        Tipsify(c.input.data(), out.data(), c.indexCount, c.vertexCount, c.verticesPerPrimitive, c.cacheSize);
        Indices expected(c.input.begin(), c.input.begin() + c.indexCount);
        expected.resize(c.input.size(), 0xBEEF);  // nothing past indexCount is written
        EXPECT_EQ(out, expected) << c.name;
    }
}

}  // namespace
}  // namespace Korvex::Rendering
