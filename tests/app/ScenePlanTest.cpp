// Pictures planned from the command line and for the demo, and the camera
// that frames them.

#include <DemoScene.h>
#include <SceneCamera.h>
#include <ScenePlan.h>
#include <Vec3.h>
#include <VoxelSelection.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <tuple>

namespace Korvex::App {
namespace {

using Fields::operator-;
using Fields::PackVoxel;
using Fields::UniformField;

// 3 x 3 x 3 samples whose value is x + 10 z, optionally with vectors (0, 0, -1).
UniformField SmallGrid(bool vectors) {
    UniformField grid;
    grid.points.dimensions = {3, 3, 3};
    grid.cellWalls = grid.points.Positions();
    grid.scalarsLabel = "'v'";
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) grid.scalars.push_back(float(x + 10 * z));
    if (vectors) {
        grid.vectorsName = "u";
        grid.vectors.assign(27, {0.0f, 0.0f, -1.0f});
    }
    return grid;
}

// The box around what the plan draws.
Rendering::boundingbox<float, 3> DrawnBox(const ScenePlan& plan) {
    Rendering::boundingbox<float, 3> box;
    for (const Rendering::KxVector3d& p : plan.drawnPoints)
        box.Add({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
    return box;
}

RenderOptions FileOptions() {
    RenderOptions options;
    options.inputPaths = {"grid.vtk"};
    return options;
}

// A surface; vectors shown as they are, and the camera framing the cells
// widened by the displacement, axis by axis.
TEST(ScenePlanTest, DefaultsComeFromTheData) {
    RenderOptions deformed = FileOptions();
    deformed.deformation = 1.0f;
    const PlanResult withVectors = PlanFromOptions(SmallGrid(true), deformed);
    ASSERT_EQ(withVectors.error, "");
    const ScenePlan& plan = withVectors.plan;
    EXPECT_EQ(plan.valueRange, (std::array<float, 2>{0, 22}));
    EXPECT_EQ(plan.voxelRange, (std::array<float, 2>{11, 22}));
    ASSERT_EQ(plan.layers.size(), 1u);
    EXPECT_EQ(plan.layers[0].kind, LayerKind::Surface);
    EXPECT_EQ(plan.layers[0].deformation, 1.0f);
    EXPECT_FALSE(plan.surfaceTriangles.empty());
    EXPECT_TRUE(plan.edgeLines.empty() && plan.voxels.empty());
    // The camera frames the cells where the displacement moves them.
    EXPECT_EQ(DrawnBox(plan), (Rendering::boundingbox<float, 3>({0, 0, -1}, {2, 2, 1})));

    // Vectors in the data move nothing unless asked to.
    const PlanResult notAsked = PlanFromOptions(SmallGrid(true), FileOptions());
    ASSERT_EQ(notAsked.error, "");
    EXPECT_EQ(notAsked.plan.layers[0].deformation, 0.0f);
    EXPECT_EQ(DrawnBox(notAsked.plan), (Rendering::boundingbox<float, 3>({0, 0, 0}, {2, 2, 2})));
}

TEST(ScenePlanTest, OptionsReachEveryLayerInDrawOrder) {
    RenderOptions options = FileOptions();
    options.drawEdges = options.drawVoxels = true;
    options.range = {{-5.0f, 5.0f}};
    options.voxelRange = {{6.0f, 16.0f}};
    options.clipPlanes = {{1, 0, 0, -0.5f}};
    options.deformation = 0.5f;
    options.alpha = 0.5f;
    options.capping = false;
    const PlanResult result = PlanFromOptions(SmallGrid(true), options);
    ASSERT_EQ(result.error, "");
    const ScenePlan& plan = result.plan;
    EXPECT_EQ(plan.valueRange, (std::array<float, 2>{-5, 5}));
    ASSERT_EQ(plan.layers.size(), 3u);
    const LayerKind kinds[] = {LayerKind::Surface, LayerKind::Edges, LayerKind::Voxels};
    for (std::size_t i = 0; i < 3; ++i) {
        const Layer& layer = plan.layers[i];
        EXPECT_EQ(layer.kind, kinds[i]);
        EXPECT_EQ(layer.clipPlanes, (std::vector<Rendering::ClipPlane>{{1, 0, 0, -0.5f}}));
        EXPECT_EQ(std::tuple(layer.deformation, layer.alpha, layer.capping), std::tuple(0.5f, 0.5f, false));
    }
    EXPECT_FALSE(plan.surfaceTriangles.empty() || plan.edgeLines.empty());
    // What is kept of x >= 0.5, moved down by half; the whole box for the depth range.
    EXPECT_EQ(DrawnBox(plan), (Rendering::boundingbox<float, 3>({0.5f, 0, -0.5f}, {2, 2, 1.5f})));
    EXPECT_TRUE(plan.depthPoints.empty()) << "no caps";
    // Cell means are 5.5 and 6.5 in the lower cells (x first, then second
    // column), 15.5 and 16.5 in the upper ones.
    EXPECT_EQ(plan.voxels, (std::vector<std::uint32_t>{PackVoxel(1, 0, 0), PackVoxel(1, 1, 0), PackVoxel(0, 0, 1),
                                                       PackVoxel(0, 1, 1)}));
}

TEST(ScenePlanTest, DataThatCannotBeDrawnIsNamed) {
    RenderOptions deform = FileOptions();
    deform.deformation = 2.0f;
    EXPECT_EQ(PlanFromOptions(SmallGrid(false), deform).error, "deformation needs a displacement (--vectors)");
    deform.deformation = 0.0f;
    EXPECT_EQ(PlanFromOptions(SmallGrid(false), deform).error, "");

    UniformField line = SmallGrid(false);
    line.points.dimensions = {27, 1, 1};
    line.cellWalls = line.points.Positions();
    EXPECT_EQ(PlanFromOptions(line, FileOptions()).error,
              "the grid is 27x1x1: a surface needs 2 points along two axes at least");
    RenderOptions edges = FileOptions();
    edges.drawSurface = false;
    edges.drawEdges = true;
    UniformField point = SmallGrid(false);
    point.points.dimensions = {1, 1, 1};
    point.cellWalls = point.points.Positions();
    point.scalars.resize(1);
    EXPECT_EQ(PlanFromOptions(point, edges).error, "the grid is 1x1x1: it has no cell edges");

    RenderOptions voxels = FileOptions();
    voxels.drawVoxels = true;
    voxels.voxelRange = {{100.0f, 200.0f}};
    EXPECT_EQ(PlanFromOptions(SmallGrid(false), voxels).error, "no cell lies in the voxel range 100 to 200");
    UniformField flat = SmallGrid(false);
    flat.points.dimensions = {9, 3, 1};
    voxels.voxelRange.reset();
    EXPECT_EQ(PlanFromOptions(flat, voxels).error,
              "voxels need at least 2 samples along every axis; the grid has 9x3x1");
}

TEST(ScenePlanTest, ConstantDataGetsARangeAroundItsValue) {
    EXPECT_EQ(ValueRangeOf(std::vector<float>{3, 3, 3}), (std::array<float, 2>{2.5f, 3.5f}));
    EXPECT_EQ(ValueRangeOf(std::vector<float>{1e6f}), (std::array<float, 2>{1e6f - 1e3f, 1e6f + 1e3f}));
    EXPECT_EQ(ValueRangeOf(std::vector<float>{2, -1, 7}), (std::array<float, 2>{-1, 7}));
    // Magnitudes of unit vectors differ by rounding only.
    EXPECT_EQ(ValueRangeOf(std::vector<float>{0.99999994f, 1.0f, 1.0000001f}), (std::array<float, 2>{0.5f, 1.5f}));
    // Values set beyond every range are left out.
    EXPECT_EQ(ValueRangeOf(std::vector<float>{-Fields::kBeyondRange, 4, 6, Fields::kBeyondRange}),
              (std::array<float, 2>{4, 6}));
}

TEST(ScenePlanTest, DeformingWithoutVectorsNamedTakesTheFirstOfThreeComponents) {
    Io::Dataset dataset{Io::ImageGrid{{2, 1, 1}, {0, 0, 0}, {1, 1, 1}},
                        {{"t", Io::Location::Points, 1, {1, 2}}, {"u", Io::Location::Points, 3, {1, 0, 0, 2, 0, 0}}}};
    RenderOptions options = FileOptions();
    EXPECT_TRUE(FieldFromOptions(dataset, options).field.vectors.empty());
    options.deformation = 2.0f;
    EXPECT_EQ(FieldFromOptions(dataset, options).field.vectorsName, "u");
    dataset.arrays.pop_back();
    EXPECT_EQ(FieldFromOptions(dataset, options).error, "--deform needs an array of 3 components; the file has 't'");
}

TEST(ScenePlanTest, DemoPicturesArePlannedWithTheirGeometry) {
    const UniformField block = MakeDemoBlock();
    EXPECT_EQ(block.points.dimensions, (std::array<std::size_t, 3>{41, 13, 13}));
    ASSERT_EQ(block.vectors.size(), block.scalars.size());
    // Clamped at x = 0; the free end's axis drops by the tip deflection.
    EXPECT_EQ(block.vectors[0][2], 0.0f);
    EXPECT_NEAR(block.vectors[40 + 41 * (6 + 13 * 6)][2], -0.03f, 1e-6f);
    const auto [coolest, hottest] = std::minmax_element(block.scalars.begin(), block.scalars.end());
    EXPECT_GE(*coolest, 20.0f);
    EXPECT_LE(*hottest, 98.0f);

    std::string error;
    const std::vector<DemoImage> images = DemoImages(block, &error);
    ASSERT_EQ(error, "");
    bool capped = false, voxels = false, deformedEdges = false, probed = false;
    ASSERT_EQ(images.size(), 4u);  // their files: KorvexRenderGLTest
    for (const DemoImage& image : images) {
        for (const Layer& layer : image.plan.layers) {
            capped |= layer.kind == LayerKind::Surface && layer.capping && layer.clipPlanes.size() == 2;
            voxels |= layer.kind == LayerKind::Voxels && layer.wireframe && !image.plan.voxels.empty();
            deformedEdges |= layer.kind == LayerKind::Edges && layer.deformation != 0.0f;
        }
        probed |= image.probeCentre;
    }
    EXPECT_TRUE(capped && voxels && deformedEdges && probed);
}

TEST(ScenePlanTest, SlicesContoursAndLogarithmicColoursArePlanned) {
    RenderOptions options = FileOptions();
    options.slices = {{1, 0, 0, -1}};  // x = 1
    options.contours = {15.0f};        // x + 10 z = 15
    options.logarithmic = true;
    options.clipPlanes = {{0, 0, 1, -0.5f}};
    const PlanResult result = PlanFromOptions(SmallGrid(false), options);
    ASSERT_EQ(result.error, "");
    const ScenePlan& plan = result.plan;
    ASSERT_EQ(plan.layers.size(), 3u);
    EXPECT_EQ(plan.layers[1].kind, LayerKind::Slices);
    EXPECT_EQ(plan.layers[2].kind, LayerKind::Contours);
    EXPECT_TRUE(plan.layers[0].capping && !plan.layers[1].capping && !plan.layers[2].capping);
    for (const Rendering::VertexPN& v : plan.sliceTriangles) EXPECT_EQ(v.position[0], 1.0f);
    for (const Rendering::VertexPN& v : plan.contourTriangles)
        EXPECT_NEAR(v.position[0] + 10 * v.position[2], 15.0f, 1e-5f);
    // Colours over the values above 0, 1 to 22; the meshes get their logarithms.
    EXPECT_EQ(plan.valueRange, (std::array<float, 2>{1, 22}));
    EXPECT_NEAR(MeshValueRange(plan)[1], std::log10(22.0f), 1e-6f);
    EXPECT_NEAR(DataValue(plan, 1.0f), 10.0f, 1e-5f);
    // Values at or below 0 lie the range's span of log10(22) below it, and
    // read back as 0; those beyond every range above stay there.
    EXPECT_NEAR(MeshValue(plan, -3.0f), -std::log10(22.0f), 1e-6f);
    EXPECT_EQ(DataValue(plan, MeshValue(plan, 0.0f)), 0.0f);
    EXPECT_EQ(MeshValue(plan, Fields::kBeyondRange), Fields::kBeyondRange);
    // The capped surface is cut: the depth range holds all of it.
    EXPECT_EQ(plan.depthPoints.size(), 8u);

    options.slices = {{1, 0, 0, -5}};
    EXPECT_EQ(PlanFromOptions(SmallGrid(false), options).error, "--slice x=5 does not cut the grid");
    options.slices.clear();
    options.contours = {100.0f};
    EXPECT_EQ(PlanFromOptions(SmallGrid(false), options).error,
              "--contour 100: 'v' ranges from 0 to 22 and does not cross it");
    UniformField flat = SmallGrid(false);
    flat.points.dimensions = {9, 3, 1};
    EXPECT_EQ(PlanFromOptions(flat, options).error,
              "--contour draws surfaces inside a volume; the values lie on a 9x3x1 grid");
    UniformField negative = SmallGrid(false);
    for (float& v : negative.scalars) v = -v;
    EXPECT_EQ(PlanFromOptions(negative, options).error, "--log needs values above 0: 'v' has none");
}

// A mesh's slices and contours go through its lattice but only where the
// mesh is: the tetrahedron x, y, z >= 0, x + y + z <= 1, f = z.
TEST(ScenePlanTest, MeshSlicesAndContoursStayInsideTheMesh) {
    Io::Dataset tetrahedron{Io::UnstructuredGrid{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {10}, {0, 4}, {0, 1, 2, 3}},
                            {{"f", Io::Location::Points, 1, {0, 0, 0, 1}}}};
    RenderOptions options = FileOptions();
    options.resolution = 27000;  // 30^3: samples 1/29 apart
    options.slices = {{0, 0, 1, -0.25}};
    options.contours = {0.5f};
    options.drawSurface = false;
    const Fields::FieldResult field = FieldFromOptions(tetrahedron, options);
    ASSERT_EQ(field.error, "");
    const PlanResult result = PlanFromOptions(field.field, options);
    ASSERT_EQ(result.error, "");
    const auto area = [](const std::vector<Rendering::VertexPN>& triangles) {
        double sum = 0.0;
        for (std::size_t i = 0; i < triangles.size(); i += 3) {
            const auto p = [&](std::size_t k) {
                const float* v = triangles[i + k].position;
                return Fields::Vec3{v[0], v[1], v[2]};
            };
            sum += 0.5 * Fields::Length(Fields::Cross(p(1) - p(0), p(2) - p(0)));
        }
        return sum;
    };
    // Triangles of legs 0.75 and 0.5, to within half a sample spacing of their long sides.
    EXPECT_NEAR(area(result.plan.sliceTriangles), 0.75 * 0.75 / 2, 0.75 * 1.5 / 29);
    EXPECT_NEAR(area(result.plan.contourTriangles), 0.5 * 0.5 / 2, 0.5 * 1.5 / 29);
    // Within half a cell's diagonal, along (1, 1, 1) 1.5 spacings of x + y + z.
    for (const auto* triangles : {&result.plan.sliceTriangles, &result.plan.contourTriangles})
        for (const Rendering::VertexPN& v : *triangles)
            EXPECT_LE(v.position[0] + v.position[1] + v.position[2], 1.0 + 1.5 / 29);

    // A shell, the tetrahedron's slanted face, has no inside to cut.
    Io::Dataset shell = tetrahedron;
    std::get<Io::UnstructuredGrid>(shell.geometry) = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {5}, {0, 3}, {0, 1, 2}};
    shell.arrays[0].values = {0, 0, 1};
    options.contours.clear();
    EXPECT_EQ(PlanFromOptions(FieldFromOptions(shell, options).field, options).error,
              "--slice: no sample of the grid the mesh is resampled onto lies in a solid cell (a shell has no inside; "
              "--resolution finds thin solids)");
}

TEST(ScenePlanTest, CameraLooksFromTheChosenSideAndFlatGridsFaceOn) {
    struct Row {
        const char* name;
        CameraChoice choice;
        std::array<std::size_t, 3> dimensions;
        double turn;
        Rendering::KxVector3d forward;
    };
    const double c25 = std::cos(25 * std::numbers::pi / 180), s25 = std::sin(25 * std::numbers::pi / 180);
    const Row rows[] = {
        {"default angles", {}, {3, 3, 3}, 0, {-c25 * 0.5, c25 * std::sqrt(0.75), -s25}},
        {"from +x", {{}, 0.0, 0.0}, {3, 3, 3}, 0, {-1, 0, 0}},
        {"flat in z", {}, {3, 3, 1}, 0, {0, 0, -1}},
        {"flat in y", {}, {3, 1, 3}, 0, {0, 1, 0}},
        {"flat, angles given", {{}, 0.0, 0.0}, {3, 3, 1}, 0, {-1, 0, 0}},
        {"preset turned a quarter", {Rendering::ViewPreset::PlusX, {}, {}}, {3, 3, 3}, 90, {0, 1, 0}},
    };
    for (const Row& row : rows) {
        Fields::GridLayout grid;
        grid.dimensions = row.dimensions;
        const Rendering::KxVector3d f = ViewDirectionFor(row.choice, grid, row.turn).forward;
        EXPECT_NEAR(f.x, row.forward.x, 1e-12) << row.name;
        EXPECT_NEAR(f.y, row.forward.y, 1e-12) << row.name;
        EXPECT_NEAR(f.z, row.forward.z, 1e-12) << row.name;
    }
}

}  // namespace
}  // namespace Korvex::App
