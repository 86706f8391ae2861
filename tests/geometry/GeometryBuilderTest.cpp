// Geometry building: vertices merged by their hash and equality, indexed
// per draw call within the device's buffer limit, and reordered for the
// vertex cache without changing what is drawn. The draws are read back from
// the bytes the recording device's buffers were created with.

#include "RecordingDevice.h"
#include "meshes/triangle/IndexedVertexContainerBuilder.h"
#include "meshes/triangle/VertexPNGeometry.h"
#include "meshes/triangle/VertexPNHash.h"

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <span>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace Korvex::Rendering::detail {
namespace {

using ::testing::ElementsAre;

using Record = std::array<float, 6>;  // position, normal
using Primitive = std::vector<Record>;

Record RecordOf(const VertexPN& v) {
    return {v.position[0], v.position[1], v.position[2], v.normal[0], v.normal[1], v.normal[2]};
}

template <class T>
std::vector<T> BufferContents(const RecordingDevice& device, BufferId buffer) {
    const std::vector<std::uint8_t>& bytes = device.BufferBytes(buffer);
    std::vector<T> values(bytes.size() / sizeof(T));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

struct DrawnCall {
    DrawArguments arguments;
    std::vector<std::uint16_t> indices;  // the call's own, as stored
    std::vector<Primitive> primitives;   // in draw order
};

std::vector<Primitive> PrimitivesOf(std::span<const VertexPN> vertices, std::uint32_t verticesPerPrimitive) {
    std::vector<Primitive> primitives;
    for (std::size_t first = 0; first + verticesPerPrimitive <= vertices.size(); first += verticesPerPrimitive) {
        Primitive primitive;
        for (std::size_t k = first; k < first + verticesPerPrimitive; ++k) primitive.push_back(RecordOf(vertices[k]));
        primitives.push_back(primitive);
    }
    return primitives;
}

// Throws std::out_of_range where an index leaves its buffers.
std::vector<DrawnCall> ReadDrawnCalls(const RecordingDevice& device, std::uint32_t verticesPerPrimitive) {
    std::vector<DrawnCall> drawn;
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation != "DrawIndexed") continue;
        DrawnCall& result = drawn.emplace_back(DrawnCall{call.As<DrawArguments>(), {}, {}});
        const auto allIndices = BufferContents<std::uint16_t>(device, result.arguments.indexBuffer);
        const auto vertices = BufferContents<VertexPN>(device, result.arguments.vertexBuffers[0]);
        std::vector<VertexPN> selected;
        for (std::uint32_t i = 0; i < result.arguments.indexCount; ++i) {
            result.indices.push_back(allIndices.at(result.arguments.firstIndex + i));
            selected.push_back(vertices.at(std::size_t(result.arguments.baseVertex) + result.indices.back()));
        }
        result.primitives = PrimitivesOf(selected, verticesPerPrimitive);
    }
    return drawn;
}

// The draw calls the geometry submits.
std::vector<DrawnCall> Submitted(RecordingDevice& device, IGeometry& geometry, std::uint32_t verticesPerPrimitive) {
    device.ClearCalls();
    geometry.SubmitDraws(device);
    return ReadDrawnCalls(device, verticesPerPrimitive);
}

// Every primitive the geometry draws, in draw order.
std::vector<Primitive> DrawnPrimitives(RecordingDevice& device, IGeometry& geometry,
                                       std::uint32_t verticesPerPrimitive) {
    std::vector<Primitive> all;
    for (DrawnCall& call : Submitted(device, geometry, verticesPerPrimitive))
        all.insert(all.end(), call.primitives.begin(), call.primitives.end());
    return all;
}

std::vector<Primitive> Sorted(std::vector<Primitive> primitives) {
    std::sort(primitives.begin(), primitives.end());
    return primitives;
}

// True where each index is either one already seen or the next unused number.
bool NumberedByFirstUse(std::span<const std::uint16_t> indices) {
    std::uint32_t next = 0;
    for (const std::uint16_t index : indices) {
        if (index > next) return false;
        if (index == next) ++next;
    }
    return true;
}

// Vertices equal component by component hash alike, zero signs included.
TEST(VertexPNHashTest, EqualVerticesHashAlikeAndNaNEqualsNothing) {
    const VertexPN positive{{0, 1, 0}, {0, 0, 0}}, negative{{-0.0f, 1, -0.0f}, {-0.0f, -0.0f, 0}};
    EXPECT_TRUE(VertexEqual<VertexPN>{}(positive, negative)) << "signed zeros are one vertex";
    EXPECT_EQ(VertexHash<VertexPN>{}(positive), VertexHash<VertexPN>{}(negative));
    // Otherwise equality is per-component float equality.
    const VertexPN base{{1, 2, 3}, {4, 5, 6}};
    EXPECT_TRUE(VertexEqual<VertexPN>{}(base, base));
    for (int component = 0; component < 6; ++component) {
        VertexPN other = base;
        (component < 3 ? other.position : other.normal)[component % 3] += 0.5f;
        EXPECT_FALSE(VertexEqual<VertexPN>{}(base, other)) << component;
    }
    VertexPN withNan = base;
    withNan.normal[2] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(VertexEqual<VertexPN>{}(withNan, withNan));
}

using Builder = IndexedVertexContainerBuilder<VertexPN>;

VertexPN At(float x, float y, float z = 0.0f) { return {{x, y, z}, {0.0f, 0.0f, 1.0f}}; }

// count triangles, no vertex shared.
std::vector<VertexPN> SeparateTriangles(std::size_t count) {
    std::vector<VertexPN> vertices;
    for (std::size_t t = 0; t < count; ++t) {
        const auto x = static_cast<float>(2 * t);
        vertices.insert(vertices.end(), {At(x, 0), At(x + 1, 0), At(x, 1)});
    }
    return vertices;
}

// A square grid of quads, two triangles each: (n + 1)^2 shared vertices.
std::vector<VertexPN> GridTriangles(int n) {
    std::vector<VertexPN> vertices;
    for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column) {
            const auto x = static_cast<float>(column), y = static_cast<float>(row);
            vertices.insert(vertices.end(),
                            {At(x, y), At(x + 1, y), At(x + 1, y + 1), At(x, y), At(x + 1, y + 1), At(x, y + 1)});
        }
    return vertices;
}

// The triangles in a fixed pseudo-random order.
std::vector<VertexPN> Shuffled(const std::vector<VertexPN>& vertices) {
    std::vector<std::array<VertexPN, 3>> triangles(vertices.size() / 3);
    std::memcpy(triangles.data(), vertices.data(), vertices.size() * sizeof(VertexPN));
    std::shuffle(triangles.begin(), triangles.end(), std::mt19937(7));
    std::vector<VertexPN> shuffled(vertices.size());
    std::memcpy(shuffled.data(), triangles.data(), vertices.size() * sizeof(VertexPN));
    return shuffled;
}

std::shared_ptr<IGeometry> Build(RecordingDevice& device, std::span<const VertexPN> vertices,
                                 std::uint32_t verticesPerPrimitive = 3, bool optimize = true) {
    Builder::Container buffers;
    Builder builder(device, buffers, verticesPerPrimitive, optimize);
    builder.AddPrimitives(vertices);
    builder.Finish();
    return std::make_shared<IndexedGeometry>(std::move(buffers), boundingbox<float, 3>(), VertexPNInputState(),
                                             std::string());
}

std::vector<BufferDesc> CreatedBuffers(const RecordingDevice& device) {
    std::vector<BufferDesc> created;
    for (const RecordedCall& call : device.Calls())
        if (call.operation == "CreateBuffer") created.push_back(call.As<BufferDesc>());
    return created;
}

// Index count, first index and base vertex of a draw.
using Range = std::tuple<std::uint32_t, std::uint32_t, std::int32_t>;
Range RangeOf(const DrawArguments& a) { return {a.indexCount, a.firstIndex, a.baseVertex}; }

TEST(IndexedVertexContainerBuilderTest, SharedVerticesAreStoredOncePerDrawCall) {
    struct Case {
        const char* what; std::vector<VertexPN> triangles; std::uint32_t vertexCount; std::uint32_t indexCount;
    };
    const VertexPN a = At(0, 0), b = At(1, 0), c = At(0, 1), d = At(1, 1);
    const VertexPN nan = At(std::numeric_limits<float>::quiet_NaN(), 0);
    const Case cases[] = {
        {"two triangles sharing an edge", {a, b, c, c, b, d}, 4, 6},
        {"zero signs differ", {At(-0.0f, 0), b, c, At(0.0f, -0.0f), c, b}, 3, 6},
        {"seventh vertex left over", {a, b, c, b, d, c, a}, 4, 6},
        {"normals differ", {a, b, c, {{0, 0, 0}, {0, 0, -1}}, b, c}, 4, 6},
        {"NaN vertices never merge", {nan, b, c, nan, c, d}, 5, 6},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        RecordingDevice device;
        const auto geometry = Build(device, test.triangles);
        const auto created = CreatedBuffers(device);
        ASSERT_EQ(created.size(), 2u);
        const std::uint32_t vertexUsage = kBufferUsageVertex, indexUsage = kBufferUsageIndex;
        EXPECT_EQ(std::pair(created[0].size, created[0].usage), std::pair(test.vertexCount * 24, vertexUsage));
        EXPECT_EQ(std::pair(created[1].size, created[1].usage), std::pair(test.indexCount * 2, indexUsage));
        const auto drawn = Submitted(device, *geometry, 3);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(RangeOf(drawn[0].arguments), Range(test.indexCount, 0, 0));
        EXPECT_EQ(drawn[0].primitives.size(), test.indexCount / 3);
    }
}

TEST(IndexedVertexContainerBuilderTest, BufferLimitBoundsEveryBuffer) {
    struct Case { const char* what; std::vector<VertexPN> triangles; };
    std::vector<VertexPN> sameTriangle;
    for (int copy = 0; copy < 50; ++copy) sameTriangle.insert(sameTriangle.end(), {At(0, 0), At(1, 0), At(0, 1)});
    // 150 indices on 3 vertices: the index buffers reach the limit first.
    const Case cases[] = {{"separate triangles", SeparateTriangles(10)},
                          {"shared vertices", GridTriangles(4)},
                          {"one triangle 50 times", sameTriangle}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        RecordingDevice device;
        device.SetMaxBufferSize(240);  // 10 vertices, 120 indices
        const auto geometry = Build(device, test.triangles);
        const auto created = CreatedBuffers(device);
        ASSERT_GT(created.size(), 2u);
        for (const BufferDesc& desc : created) EXPECT_LE(desc.size, 240u);
        EXPECT_EQ(Sorted(DrawnPrimitives(device, *geometry, 3)), Sorted(PrimitivesOf(test.triangles, 3)));
    }
    // Separate triangles: three of them fill 9 of the 10 vertices a buffer holds.
    RecordingDevice device;
    device.SetMaxBufferSize(240);
    Build(device, SeparateTriangles(7));
    std::vector<std::uint32_t> vertexBufferSizes;
    for (const BufferDesc& desc : CreatedBuffers(device))
        if (desc.usage == kBufferUsageVertex) vertexBufferSizes.push_back(desc.size / 24);
    EXPECT_THAT(vertexBufferSizes, ElementsAre(9u, 9u, 3u));
}

TEST(IndexedVertexContainerBuilderTest, DrawCallClosesAt65535Vertices) {
    const auto triangles = SeparateTriangles(21846);
    RecordingDevice device;
    const auto drawn = Submitted(device, *Build(device, triangles), 3);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].arguments.vertexBuffers, drawn[1].arguments.vertexBuffers) << "one buffer";
    EXPECT_EQ(RangeOf(drawn[0].arguments), Range(65535, 0, 0));
    EXPECT_EQ(*std::max_element(drawn[0].indices.begin(), drawn[0].indices.end()), 65534u);
    EXPECT_EQ(RangeOf(drawn[1].arguments), Range(3, 65535, 65535));
    EXPECT_THAT(drawn[1].indices, ElementsAre(0u, 1u, 2u));
}

// A shuffled grid of more than 65,535 vertices: several draw calls in one
// buffer, optimised in parallel.
TEST(IndexedVertexContainerBuilderTest, OptimisationKeepsEachDrawCallsTrianglesAndNumbersVerticesByFirstUse) {
    const auto triangles = Shuffled(GridTriangles(260));
    RecordingDevice plainDevice, optimisedDevice;
    const auto before = Submitted(plainDevice, *Build(plainDevice, triangles, 3, false), 3);
    const auto after = Submitted(optimisedDevice, *Build(optimisedDevice, triangles, 3, true), 3);

    ASSERT_GE(after.size(), 2u);
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(RangeOf(after[i].arguments), RangeOf(before[i].arguments));
        EXPECT_EQ(Sorted(after[i].primitives), Sorted(before[i].primitives));
        EXPECT_EQ(after[i].indices.front(), 0u);
        EXPECT_TRUE(NumberedByFirstUse(after[i].indices));
    }
}

TEST(IndexedVertexContainerBuilderTest, LineListsKeepTheirOrderAndAreNumberedByFirstUse) {
    const std::vector<VertexPN> lines = {At(5, 5), At(6, 5), At(0, 0), At(5, 5), At(0, 0), At(6, 5), At(9, 9)};
    RecordingDevice device;
    const auto drawn = Submitted(device, *Build(device, lines, 2), 2);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_THAT(drawn[0].indices, ElementsAre(0u, 1u, 2u, 0u, 2u, 1u));
    EXPECT_EQ(drawn[0].primitives, PrimitivesOf(lines, 2));
}

TEST(IndexedVertexContainerBuilderTest, RejectsPrimitiveSizesOtherThanLinesAndTriangles) {
    for (const std::uint32_t size : {0u, 1u, 4u}) {
        RecordingDevice device;
        Builder::Container buffers;
        EXPECT_THROW(Builder(device, buffers, size), std::invalid_argument) << size;
        EXPECT_TRUE(device.Calls().empty());
    }
}

TEST(IndexedVertexContainerBuilderTest, DeliversOnceWhetherFinishedOrNot) {
    const auto triangles = GridTriangles(3);
    RecordingDevice device;
    Builder::Container buffers;
    {
        Builder builder(device, buffers);
        builder.AddPrimitives(triangles);
        EXPECT_TRUE(buffers.empty());
    }
    ASSERT_EQ(buffers.size(), 1u);
    const auto geometry = std::make_shared<IndexedGeometry>(std::move(buffers), boundingbox<float, 3>(),
                                                            VertexPNInputState(), std::string());
    EXPECT_EQ(Sorted(DrawnPrimitives(device, *geometry, 3)), Sorted(PrimitivesOf(triangles, 3)));

    Builder::Container finished;
    Builder builder(device, finished);
    builder.AddPrimitives(SeparateTriangles(2));
    builder.Finish();
    const std::size_t callsAfterFinish = device.Calls().size();
    builder.Finish();
    EXPECT_EQ(device.Calls().size(), callsAfterFinish);
    EXPECT_EQ(finished.size(), 1u);
}

TEST(IndexedVertexContainerBuilderTest, DeviceExceptionPassesThroughTheBuilderUntouched) {
    RecordingDevice device;
    device.SetMaxBufferSize(240);
    device.ThrowFrom("CreateBuffer");
    Builder::Container buffers;
    EXPECT_THROW(
        {
            Builder builder(device, buffers);
            builder.AddPrimitives(SeparateTriangles(4));  // the fourth triangle flushes
        },
        std::runtime_error);
    EXPECT_EQ(device.CountOf("CreateBuffer"), 1u) << "the destructor must not flush while unwinding";
}

// What the host-facing builders decide from the whole input: whether a
// surface is closed, its longest edge, which indexed vertices share a record,
// and how a large list splits into draw calls whatever its order.

using Point = std::array<float, 3>;
const boundingbox<float, 3> kBox({0, 0, 0}, {1, 1, 1});
const float kNaN = std::numeric_limits<float>::quiet_NaN();

VertexPN At(const Point& p, const Point& n = {0, 0, 1}) { return {{p[0], p[1], p[2]}, {n[0], n[1], n[2]}}; }

// The surface of the cube [0, n]^3, n x n quads a face, wound outward; the
// faces meet in edges of equal positions and different normals.
std::vector<VertexPN> Cube(int n) {
    std::vector<VertexPN> vertices;
    for (std::size_t axis = 0; axis < 3; ++axis)
        for (const int side : {0, n}) {
            Point normal{0, 0, 0};
            normal[axis] = side == 0 ? -1.0f : 1.0f;
            const auto p = [&](int i, int j) {
                Point point;
                point[axis] = float(side);
                point[(axis + 1) % 3] = float(i);
                point[(axis + 2) % 3] = float(j);
                return At(point, normal);
            };
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    // Counter-clockwise about +axis; the side at 0 faces the other way.
                    const VertexPN a = p(i, j), b = p(i + 1, j), c = p(i + 1, j + 1), d = p(i, j + 1);
                    vertices.insert(vertices.end(), side == 0 ? std::initializer_list<VertexPN>{a, c, b, a, d, c}
                                                              : std::initializer_list<VertexPN>{a, b, c, a, c, d});
                }
        }
    return vertices;
}

std::size_t DrawCalls(RecordingDevice& device, IGeometry& geometry) {
    device.ClearCalls();
    geometry.SubmitDraws(device);
    return ReadDrawnCalls(device, 3).size();
}

std::uint64_t VertexBytes(const RecordingDevice& device) {
    std::uint64_t bytes = 0;
    for (const RecordedCall& call : device.Calls())
        if (call.operation == "CreateBuffer" && call.As<BufferDesc>().usage == kBufferUsageVertex)
            bytes += call.As<BufferDesc>().size;
    return bytes;
}

TEST(GeometryBuildRulesTest, SurfacesAreClosedWhenEveryEdgeRunsBothWaysOnce) {
    const std::vector<VertexPN> cube = Cube(1);
    const auto changed = [&](const std::function<void(std::vector<VertexPN>&)>& change) {
        std::vector<VertexPN> vertices = cube;
        change(vertices);
        return vertices;
    };
    struct Case {
        const char* what;
        std::vector<VertexPN> triangles;
        bool closed;
    };
    const Case cases[] = {
        {"cube: normals split along its edges", cube, true},
        {"a degenerate triangle besides",
         changed([](auto& v) { v.insert(v.end(), {At({0, 0, 0}), At({0, 0, 0}), At({1, 0, 0})}); }), true},
        {"a face missing", changed([](auto& v) { v.erase(v.begin(), v.begin() + 3); }), false},
        {"a face wound the wrong way", changed([](auto& v) { std::swap(v[1], v[2]); }), false},
        {"a face twice", changed([&](auto& v) { v.insert(v.end(), cube.begin(), cube.begin() + 3); }), false},
        {"a corner at NaN",
         changed([](auto& v) {
             for (VertexPN& vertex : v)
                 if (vertex.position[0] == 0 && vertex.position[1] == 0 && vertex.position[2] == 0)
                     vertex.position[0] = kNaN;
         }),
         false},
        // 6 x 111^2 vertices: two draw calls, whose border repeats vertices.
        {"cube over draw calls", Cube(110), true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        RecordingDevice device;
        EXPECT_EQ(BuildTriangleGeometry(device, test.triangles, kBox)->IsClosed(), test.closed);
    }
    RecordingDevice device;
    EXPECT_FALSE(BuildLineGeometry(device, cube, kBox)->IsClosed()) << "lines";
}

TEST(GeometryBuildRulesTest, LongestEdgeIsMeasuredOverEveryPrimitive) {
    const std::vector<VertexPN> right = {At({0, 0, 0}), At({3, 0, 0}), At({0, 4, 0})};  // sides 3, 4, 5
    RecordingDevice device;
    EXPECT_EQ(BuildTriangleGeometry(device, right, kBox)->GetLongestEdge(), 5.0f);
    EXPECT_EQ(BuildLineGeometry(device, right, kBox)->GetLongestEdge(), 3.0f) << "one line, the third vertex left";
    const std::vector<VertexPN> odd = {right[0], right[1], At({kNaN, 0, 0})};
    EXPECT_EQ(BuildTriangleGeometry(device, odd, kBox)->GetLongestEdge(), std::numeric_limits<float>::infinity());
    const std::vector<Point> positions = {{0, 0, 0}, {3, 0, 0}, {0, 4, 0}};
    const std::vector<std::uint32_t> indices = {0, 1, 2};
    EXPECT_EQ(BuildTriangleGeometry(device, positions, {}, indices, kBox)->GetLongestEdge(), 5.0f) << "indexed";
}

// Host vertices are compared once each: equal ones merge, a NaN one only
// with itself (its index shared).
TEST(GeometryBuildRulesTest, IndexedVerticesMergeByValueOnce) {
    struct Case {
        const char* what;
        std::vector<Point> positions;
        std::uint64_t records;
    };
    const Case cases[] = {
        {"distinct", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, 4},
        {"equal under two indices", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -0.0f, 0}}, 3},
        {"NaN under two indices", {{kNaN, 0, 0}, {1, 0, 0}, {0, 1, 0}, {kNaN, 0, 0}}, 4},
    };
    const std::vector<std::uint32_t> indices = {0, 1, 2, 3, 2, 1, 0, 2, 1};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        RecordingDevice device;
        BuildTriangleGeometry(device, test.positions, {}, indices, kBox);
        EXPECT_EQ(VertexBytes(device), test.records * sizeof(VertexPN));
    }
}

TEST(GeometryBuildRulesTest, ShuffledTrianglesSplitLikeOrderedOnes) {
    const std::vector<VertexPN> ordered = Cube(110);
    std::vector<VertexPN> shuffled = ordered;
    std::mt19937 random(11);
    for (std::size_t t = shuffled.size() / 3 - 1; t > 0; --t)
        std::swap_ranges(shuffled.begin() + long(3 * t), shuffled.begin() + long(3 * t + 3),
                         shuffled.begin() + long(3 * (random() % (t + 1))));
    RecordingDevice orderedDevice, shuffledDevice;
    const auto orderedGeometry = BuildTriangleGeometry(orderedDevice, ordered, kBox);
    const auto shuffledGeometry = BuildTriangleGeometry(shuffledDevice, shuffled, kBox);
    const std::uint64_t orderedBytes = VertexBytes(orderedDevice);
    EXPECT_LE(VertexBytes(shuffledDevice), orderedBytes + orderedBytes / 10);
    EXPECT_EQ(DrawCalls(orderedDevice, *orderedGeometry), 2u);
    EXPECT_EQ(DrawCalls(shuffledDevice, *shuffledGeometry), 2u);
    EXPECT_EQ(Sorted(DrawnPrimitives(shuffledDevice, *shuffledGeometry, 3)),
              Sorted(PrimitivesOf(ordered, 3)));
}

}  // namespace
}  // namespace Korvex::Rendering::detail
