#include "TriangleRecording.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace Korvex::Rendering::triangle_test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::uint8_t> Colors(std::size_t count) {
    std::vector<std::uint8_t> rgba(4 * count);
    for (std::size_t i = 0; i < count; ++i) {
        rgba[4 * i] = static_cast<std::uint8_t>(i);
        rgba[4 * i + 1] = static_cast<std::uint8_t>(255 - i);
        rgba[4 * i + 2] = 51;
        rgba[4 * i + 3] = 255;
    }
    return rgba;
}

TEST(TriangleMeshState, ConstructionCreatesConstantBufferThenSampler) {
    RecordingDevice device;
    std::unique_ptr<ITriangleGridMesh> mesh = CreateTriangleGridMesh(device);

    ASSERT_THAT(device.OperationNames(), ElementsAre("CreateBuffer", "CreateSampler"));
    const BufferDesc buffer = device.Calls()[0].As<BufferDesc>();
    EXPECT_EQ(buffer.size, 624u);
    EXPECT_EQ(buffer.usage, 36u);
    EXPECT_TRUE(device.Calls()[0].arguments.ends_with(",null")) << "no initial data";
    const SamplerDesc sampler = device.Calls()[1].As<SamplerDesc>();
    EXPECT_EQ(sampler.filter, 2u);
    EXPECT_EQ(sampler.address, 1u);
}

TEST(TriangleMeshState, NewMeshHasTheDefaultConstants) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    const TriangleConstants& c = mesh.Constants();

    for (const detail::Float4x4* matrix : {&c.unit_plane_matrix, &c.model_matrix, &c.model_view_matrix,
                                           &c.normal_matrix, &c.projection_matrix, &c.model_view_projection_matrix})
        EXPECT_EQ(*matrix, detail::kIdentityFloat4x4);
    EXPECT_EQ(c.min_value, 0.0f);
    EXPECT_EQ(c.max_value, 1.0f);
    EXPECT_EQ(c.min_sample_value, 0.0f);
    EXPECT_EQ(c.sample_value_range, 1.0f);
    const float gray = std::bit_cast<float>(0x3F333333u);
    EXPECT_EQ(c.underflow_color, (detail::Float4{gray, gray, gray, 1.0f}));
    EXPECT_EQ(c.overflow_color, (detail::Float4{gray, gray, gray, 1.0f}));
    EXPECT_EQ(c.deformation, 0.0f);
    EXPECT_EQ(c.brightness, 0.5f);
    EXPECT_EQ(c.alpha_value, 1.0f);
    EXPECT_EQ(c.corner_min, detail::Float4{});
    EXPECT_EQ(c.corner_max, detail::Float4{});
    for (const detail::Float4& plane : c.clip_planes) EXPECT_EQ(plane, detail::Float4{});
    EXPECT_EQ(c.pixel_size_min_cell_size, detail::Float4{});
    EXPECT_EQ(mesh.GradientWidth(), 1u);
    EXPECT_STREQ(mesh.GetName(), "");
    EXPECT_EQ(mesh.GetTechnique(), StringId("SimulationTechnique"));
}

std::vector<std::string> CreatedIds(const RecordingDevice& device, std::string_view operation) {
    std::vector<std::string> ids;
    for (const RecordedCall& call : device.Calls())
        if (call.operation == operation) ids.push_back(IdText(call.result));
    return ids;
}

// GPU resources first (sampler, gradient view, gradient image, constant
// buffer), then the cap quad, the vector grid, the scalar grid, the geometry.
TEST(TriangleMeshState, DestructionReleasesResourcesThenSharedInputsInOrder) {
    RecordingDevice device;
    auto mesh = std::make_unique<TriangleGridMesh>(device);
    const std::string constantBuffer = CreatedIds(device, "CreateBuffer").at(0);
    const std::string sampler = CreatedIds(device, "CreateSampler").at(0);
    device.ClearCalls();
    mesh->SetGeometry(MakeTriangle(device));
    const std::vector<std::string> geometryBuffers = CreatedIds(device, "CreateBuffer");  // vertex, index
    std::shared_ptr<IScalarGrid> values = MakeScalarGrid(device);
    std::shared_ptr<IVectorGrid> vectors = MakeVectorGrid(device);
    const std::string valuesView = IdText(values->GetTexture().view);
    const std::string vectorsView = IdText(vectors->GetTexture().view);
    device.ClearCalls();
    mesh->SetGrids(std::move(values), std::move(vectors), kUnitBox);
    const std::vector<std::string> quadBuffers = CreatedIds(device, "CreateBuffer");  // vertex, index
    device.ClearCalls();
    mesh->SetColorMap(Colors(4));
    const std::string gradientImage = CreatedIds(device, "CreateImage").at(0);
    const std::string gradientView = CreatedIds(device, "CreateImageView").at(0);
    ASSERT_EQ(geometryBuffers.size(), 2u);
    ASSERT_EQ(quadBuffers.size(), 2u);
    device.ClearCalls();

    mesh.reset();

    std::vector<std::string> released;
    for (const RecordedCall& call : device.Calls()) released.push_back(call.operation + " " + call.arguments);
    const auto gridImage = ::testing::StartsWith("DestroyImage ");
    EXPECT_THAT(released, ElementsAre("DestroySampler " + sampler, "DestroyImageView " + gradientView,
                                      "DestroyImage " + gradientImage, "DestroyBuffer " + constantBuffer,
                                      "DestroyBuffer " + quadBuffers[1], "DestroyBuffer " + quadBuffers[0],
                                      "DestroyImageView " + vectorsView, gridImage,
                                      "DestroyImageView " + valuesView, gridImage,
                                      "DestroyBuffer " + geometryBuffers[1], "DestroyBuffer " + geometryBuffers[0]));
    EXPECT_EQ(device.LiveObjectCount(), 0u);
}

struct TechniqueCase {
    const char* name;
    bool capping;
    float deformation;
    float alpha;
    std::size_t planes;
    const char* technique;
};

TEST(TriangleMeshState, TechniqueFollowsCappingDeformationPlanesAndAlpha) {
    const TechniqueCase cases[] = {
        {"capped", true, 0.0f, 1.0f, 1, "CappedSimulationTechnique"},
        {"capped even when transparent", true, 0.0f, 0.5f, 8, "CappedSimulationTechnique"},
        {"capped with negative zero deformation", true, -0.0f, 1.0f, 2, "CappedSimulationTechnique"},
        {"any deformation", true, 0.00001f, 1.0f, 1, "SimulationTechnique"},
        {"any deformation, transparent", true, 0.00001f, 0.999f, 1, "TransparentSimulationTechnique"},
        {"no plane", true, 0.0f, 1.0f, 0, "SimulationTechnique"},
        {"no plane, transparent", true, 0.0f, 0.2f, 0, "TransparentSimulationTechnique"},
        {"capping off", false, 0.0f, 1.0f, 3, "SimulationTechnique"},
        {"capping off, transparent", false, 0.0f, 0.0f, 3, "TransparentSimulationTechnique"},
    };
    for (const TechniqueCase& c : cases) {
        RecordingDevice device;
        TriangleGridMesh mesh(device);
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        mesh.SetAlpha(c.alpha);
        const std::vector<ClipPlane> planes = PlanesX(c.planes);
        mesh.SetClipPlanes(planes);
        EXPECT_EQ(mesh.GetTechnique(), StringId(c.technique)) << c.name;
    }
}

TEST(TriangleMeshState, AlphaIsClampedOtherSettingsAreNot) {
    const std::pair<float, float> alphas[] = {{1.5f, 1.0f},
                                              {-0.2f, 0.0f},
                                              {std::numeric_limits<float>::quiet_NaN(), 1.0f},
                                              {0.25f, 0.25f},
                                              {std::numeric_limits<float>::infinity(), 1.0f}};
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    for (const auto& [given, stored] : alphas) {
        mesh.SetAlpha(given);
        EXPECT_EQ(mesh.Constants().alpha_value, stored) << given;
    }
    mesh.SetBrightness(-3.0f);
    EXPECT_EQ(mesh.Constants().brightness, -3.0f);
    mesh.SetBrightness(7.5f);
    EXPECT_EQ(mesh.Constants().brightness, 7.5f);
    mesh.SetDeformation(-1e6f);
    EXPECT_EQ(mesh.Constants().deformation, -1e6f);
    mesh.SetValueRange(5.0f, -5.0f);  // no order enforced
    EXPECT_EQ(mesh.Constants().min_value, 5.0f);
    EXPECT_EQ(mesh.Constants().max_value, -5.0f);
}

TEST(TriangleMeshState, ColorMapInstallsAOneDimensionalImageAndBothEndColors) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    const std::vector<std::uint8_t> rgba = Colors(256);
    device.ClearCalls();

    mesh.SetColorMap(rgba);

    ASSERT_THAT(device.OperationNames(), ElementsAre("CreateImage", "WriteImage", "CreateImageView"));
    const ImageDesc image = device.Calls()[0].As<ImageDesc>();
    EXPECT_EQ(image.width, 256u);
    EXPECT_EQ(image.height, 0u);
    EXPECT_EQ(image.depth, 0u);
    EXPECT_EQ(image.format, 6u);
    EXPECT_EQ(image.mipLevels, 1u);
    EXPECT_EQ(image.arraySize, 1u);
    EXPECT_EQ(image.usage, 65u);
    EXPECT_EQ(device.Calls()[1].As<std::vector<std::uint8_t>>(), rgba);
    EXPECT_EQ(mesh.GradientWidth(), 256u);
    EXPECT_EQ(mesh.Constants().underflow_color, (detail::Float4{0.0f, 1.0f, 51.0f / 255.0f, 1.0f}));
    EXPECT_EQ(mesh.Constants().overflow_color, (detail::Float4{1.0f, 0.0f, 51.0f / 255.0f, 1.0f}));
}

TEST(TriangleMeshState, ColorMapReplacesTheGradientViewFirst) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    mesh.SetColorMap(Colors(8));
    device.ClearCalls();

    mesh.SetColorMap(Colors(16));

    EXPECT_THAT(device.OperationNames(),
                ElementsAre("DestroyImageView", "DestroyImage", "CreateImage", "WriteImage", "CreateImageView"));
    EXPECT_EQ(device.LiveObjectCount(), 4u) << "constant buffer, sampler, gradient image and view";
}

TEST(TriangleMeshState, OneColorMakesAOneTexelImageSpreadOverTwo) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    const std::vector<std::uint8_t> one{10, 20, 30, 40, 99, 99};  // trailing bytes short of a colour
    device.ClearCalls();

    mesh.SetColorMap(one);

    ASSERT_EQ(device.CountOf("CreateImage"), 1u);
    EXPECT_EQ(device.Calls()[0].As<ImageDesc>().width, 1u);
    EXPECT_EQ(mesh.GradientWidth(), 2u);
    // The last colour is the last four bytes, whatever the table's alignment.
    EXPECT_EQ(mesh.Constants().overflow_color,
              (detail::Float4{30.0f / 255.0f, 40.0f / 255.0f, 99.0f / 255.0f, 99.0f / 255.0f}));
}

TEST(TriangleMeshState, ColorViewsShorterThanOneColorChangeNothing) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    const std::vector<std::uint8_t> shortView{1, 2, 3};
    const std::vector<std::uint8_t> color{1, 2, 3, 4};
    const std::vector<std::uint8_t> table = Colors(4);
    const TriangleConstants before = mesh.Constants();
    device.ClearCalls();

    mesh.SetColorMap(shortView);
    mesh.SetColorMap({});
    mesh.SetColorMap(shortView, table, color);
    mesh.SetColorMap(color, shortView, color);
    mesh.SetColorMap(color, table, shortView);

    EXPECT_TRUE(device.Calls().empty());
    EXPECT_EQ(std::memcmp(&before, &mesh.Constants(), sizeof before), 0);
    EXPECT_EQ(mesh.GradientWidth(), 1u);
}

TEST(TriangleMeshState, SamplingRangePutsTheEndValuesOnTheEndTexelCentres) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    mesh.SetColorMap(Colors(256));
    mesh.SetValueRange(0.0f, 255.0f);
    EXPECT_EQ(mesh.Constants().min_sample_value, -0.5f);
    EXPECT_EQ(mesh.Constants().sample_value_range, 256.0f);

    // Derived again for a new gradient width.
    mesh.SetColorMap(Colors(2));
    EXPECT_EQ(mesh.Constants().min_sample_value, -127.5f);
    EXPECT_EQ(mesh.Constants().sample_value_range, 510.0f);

    mesh.SetValueRange(-1.0f, 1.0f);
    EXPECT_EQ(mesh.Constants().min_sample_value, -2.0f);
    EXPECT_EQ(mesh.Constants().sample_value_range, 4.0f);
}

TEST(TriangleMeshState, ValueRangeBeforeAnyGradientIsNotFinite) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    mesh.SetValueRange(0.0f, 1.0f);
    EXPECT_FALSE(std::isfinite(mesh.Constants().min_sample_value));
    EXPECT_FALSE(std::isfinite(mesh.Constants().sample_value_range));
}

TEST(TriangleMeshState, GridsBuildASquareQuadOfFourBoxDiagonals) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    const boundingbox<float, 3> box{{0.0f, 0.0f, 0.0f}, {3.0f, 4.0f, 0.0f}};
    device.ClearCalls();

    mesh.SetGrids(MakeScalarGrid(device), nullptr, box);

    EXPECT_EQ(mesh.Constants().corner_min, (detail::Float4{0, 0, 0, 0}));
    EXPECT_EQ(mesh.Constants().corner_max, (detail::Float4{3, 4, 0, 0}));
    // The builder's buffers: four distinct corners, two triangles.
    std::vector<const RecordedCall*> buffers;
    for (const RecordedCall& call : device.Calls())
        if (call.operation == "CreateBuffer") buffers.push_back(&call);
    ASSERT_EQ(buffers.size(), 2u);
    const std::vector<std::uint8_t>& vertexBytes = device.BufferBytes(BufferId{buffers[0]->result});
    ASSERT_EQ(vertexBytes.size(), 4 * sizeof(VertexPN));
    std::vector<std::array<float, 6>> corners(4);
    std::memcpy(corners.data(), vertexBytes.data(), vertexBytes.size());
    std::sort(corners.begin(), corners.end());
    EXPECT_THAT(corners, ElementsAreArray(std::vector<std::array<float, 6>>{{-10, -10, 0, 0, 0, -1},
                                                                           {-10, 10, 0, 0, 0, -1},
                                                                           {10, -10, 0, 0, 0, -1},
                                                                           {10, 10, 0, 0, 0, -1}}));
    EXPECT_EQ(device.BufferBytes(BufferId{buffers[1]->result}).size(), 6 * sizeof(std::uint16_t));
}

TEST(TriangleMeshState, NewGridsReplaceTheQuad) {
    RecordingDevice device;
    TriangleGridMesh mesh(device);
    mesh.SetGrids(nullptr, nullptr, kUnitBox);
    const std::size_t live = device.LiveObjectCount();
    device.ClearCalls();

    mesh.SetGrids(nullptr, nullptr, kUnitBox);

    EXPECT_EQ(device.LiveObjectCount(), live);
    EXPECT_EQ(device.CountOf("CreateBuffer"), 2u);
    EXPECT_EQ(device.CountOf("DestroyBuffer"), 2u);
}

}  // namespace
}  // namespace Korvex::Rendering::triangle_test
