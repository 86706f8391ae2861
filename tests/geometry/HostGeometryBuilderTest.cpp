#include "GeometryReadback.h"

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace Korvex::Rendering {
namespace {

using test::DrawnPrimitives;
using test::Primitive;
using test::PrimitivesOf;
using test::ReadDrawnCalls;
using test::Sorted;

using Point = std::array<float, 3>;

const boundingbox<float, 3> kBox({0, 0, 0}, {1, 1, 1});

const std::vector<Point> kCorners = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const std::vector<Point> kCornerNormals = {{0, 0, 1}, {0, 0, 1}, {0, 0, -1}, {0, 0, -1}};

std::vector<Primitive> Expanded(const std::vector<Point>& positions, const std::vector<Point>& normals,
                                const std::vector<std::uint32_t>& indices, std::uint32_t verticesPerPrimitive) {
    std::vector<VertexPN> vertices;
    for (const std::uint32_t index : indices) {
        VertexPN vertex{};
        std::copy_n(positions[index].begin(), 3, vertex.position);
        if (!normals.empty()) std::copy_n(normals[index].begin(), 3, vertex.normal);
        vertices.push_back(vertex);
    }
    return PrimitivesOf(vertices, verticesPerPrimitive);
}

TEST(HostGeometryBuilderTest, IndexedListsExpandToTheirVertices) {
    const std::vector<std::uint32_t> indices = {0, 1, 2, 0, 2, 3, 3};
    struct Case {
        const char* what;
        std::vector<Point> normals;
    };
    for (const Case& test : {Case{"with normals", kCornerNormals}, Case{"without normals", {}}}) {
        SCOPED_TRACE(test.what);
        RecordingDevice device;
        const auto triangles = BuildTriangleGeometry(device, kCorners, test.normals, indices, kBox);
        EXPECT_EQ(Sorted(DrawnPrimitives(device, *triangles, 3)), Sorted(Expanded(kCorners, test.normals, indices, 3)));
        const auto lines = BuildLineGeometry(device, kCorners, test.normals, indices, kBox);
        EXPECT_EQ(DrawnPrimitives(device, *lines, 2), Expanded(kCorners, test.normals, indices, 2));
    }
}

// More vertices than one draw call holds, and more indices than one expansion slice.
TEST(HostGeometryBuilderTest, LargeIndexedLineListsSplitIntoDrawCalls) {
    std::vector<Point> positions;
    std::vector<std::uint32_t> indices;
    for (std::uint32_t i = 0; i < 70000; ++i) {
        positions.push_back({float(i), float(i % 7), 0});
        if (i > 0) indices.insert(indices.end(), {i - 1, i});
    }
    RecordingDevice device;
    const auto lines = BuildLineGeometry(device, positions, {}, indices, kBox);
    device.ClearCalls();
    lines->SubmitDraws(device);
    EXPECT_EQ(ReadDrawnCalls(device, 2).size(), 2u);
    EXPECT_EQ(DrawnPrimitives(device, *lines, 2), Expanded(positions, {}, indices, 2));
}

TEST(HostGeometryBuilderTest, RejectsBadIndexedInputBeforeTouchingTheDevice) {
    struct Case {
        const char* what;
        std::vector<Point> normals;
        std::vector<std::uint32_t> indices;
        const char* message;
    };
    const Case cases[] = {
        {"index past the positions", {}, {0, 1, 4}, "index 4 is past the 4 positions"},
        {"fewer normals than positions", {{0, 0, 1}}, {0, 1, 2}, "1 normals for 4 positions"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        RecordingDevice device;
        for (const bool lines : {false, true}) {
            try {
                if (lines)
                    BuildLineGeometry(device, kCorners, test.normals, test.indices, kBox);
                else
                    BuildTriangleGeometry(device, kCorners, test.normals, test.indices, kBox);
                ADD_FAILURE() << "accepted";
            } catch (const std::logic_error& error) {
                EXPECT_THAT(error.what(), ::testing::StartsWith(lines ? "BuildLineGeometry(): "
                                                                      : "BuildTriangleGeometry(): "));
                EXPECT_THAT(error.what(), ::testing::HasSubstr(test.message));
            }
        }
        EXPECT_TRUE(device.Calls().empty());
    }
}

}  // namespace
}  // namespace Korvex::Rendering
