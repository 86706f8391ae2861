// The voxel mesh on the recording device: its objects, the state its setters
// leave, and the variant, pipeline and bindings each draw asks for.

#include "core/CacheKey.h"
#include "meshes/voxel/VoxelGridMesh.h"

#include <ExpectedKeys.h>
#include <MeshScene.h>

#include <gmock/gmock.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace Korvex::Rendering::test_support {
namespace {

using detail::VoxelConstants;
using ::testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;

// Cells (0, 0, 0), (1, 0, 0) and (0, 1, 1), packed.
const std::vector<std::uint32_t> kThreeVoxels{0x00000000u, 0x00000001u, 0x00100400u};

std::uint64_t Seed() { return Fnv1a("Korvex.Rendering.Simulation-VoxelGridMesh"); }

// The class seed, then each field hashed twice, in declaration order.
std::uint64_t ProgramKey(bool deform, bool probeValue, bool probeDepth, std::uint64_t planes, bool wireframe) {
    std::uint64_t h = Seed();
    for (const bool flag : {deform, probeValue, probeDepth}) h = CombineTwiceHashed(h, flag);
    return CombineTwiceHashed(CombineTwiceHashed(h, planes), wireframe);
}

class VoxelMeshTest : public MeshScene {
protected:
    void Attach(bool withDisplacements = false) {
        device.ClearCalls();
        mesh->SetVoxels(kThreeVoxels);
        voxelView = ImageViewId{First("CreateBufferView").result};
        coveredFacesView = ImageViewId{device.Calls().at(4).result};
        values = MakeValues(device, {4, 5, 6});
        displacements = withDisplacements ? MakeDisplacements(device) : nullptr;
        mesh->SetGrids(values, displacements, Box{{-1, -1, -1}, {1, 2, 3}});
    }

    std::unique_ptr<VoxelGridMesh> mesh = std::make_unique<VoxelGridMesh>(device);
    const BufferId constantBuffer{device.Calls().at(0).result};
    const SamplerId sampler{device.Calls().at(1).result};
    ImageViewId voxelView, coveredFacesView;
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
};

// A list comes with its covered faces, a byte a voxel (four a word, padded):
// bits 0 to 5 for the neighbours across -y, +z, +x, -z, -x and +y in the
// list. 0x401 is cell (1, 1, 0).
TEST_F(VoxelMeshTest, KeepsItsVoxelsAndTheirCoveredFacesInBufferViewsReplacedNewBeforeOld) {
    ASSERT_THAT(device.OperationNames(), ElementsAre("CreateBuffer", "CreateSampler"));
    EXPECT_EQ(device.Calls()[0].arguments, "{448,36},null");
    EXPECT_EQ(device.Calls()[1].arguments, "{2,1}") << "linear, clamped";

    device.ClearCalls();
    mesh->SetVoxels(std::vector<std::uint32_t>{7u, 0xFFFFFFFFu});
    const BufferId firstBuffer{device.Calls().at(1).result};
    const ImageViewId firstView{device.Calls().at(2).result};
    EXPECT_EQ(device.Calls()[1].As<BufferDesc>().usage, kBufferUsageShaderRead);
    EXPECT_EQ(device.BufferBytes(firstBuffer), (Bytes{7, 0, 0, 0, 255, 255, 255, 255}));
    EXPECT_EQ(device.Calls()[2].arguments, IdText(firstBuffer) + ",22,0,2") << "32-bit words from 0, two of them";
    const BufferId firstCovered{device.Calls().at(3).result};
    const ImageViewId firstCoveredView{device.Calls().at(4).result};
    EXPECT_EQ(device.BufferBytes(firstCovered), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(device.Calls()[4].arguments, IdText(firstCovered) + ",22,0,1");

    device.ClearCalls();
    mesh->SetVoxels(std::vector<std::uint32_t>{0u, 1u, 0x401u});
    EXPECT_THAT(device.OperationNames(),
                ElementsAre("GetMaxBufferSize", "CreateBuffer", "CreateBufferView", "CreateBuffer", "CreateBufferView",
                            "DestroyImageView", "DestroyBuffer", "DestroyImageView", "DestroyBuffer"));
    EXPECT_EQ(device.BufferBytes(BufferId{device.Calls()[3].result}), (Bytes{4, 16 | 32, 1, 0}));
    const std::uint64_t destroyed[] = {firstCoveredView.value, firstCovered.value, firstView.value, firstBuffer.value};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(device.Calls()[5 + i].arguments, IdText(destroyed[i]));

    // Lists of 2^30 words or more do not fit a 32-bit size: ignored.
    const std::uint32_t words[4] = {};
    device.ClearCalls();
    mesh->SetVoxels({words, std::size_t{1} << 30});
    mesh->SetVoxels({words, std::numeric_limits<std::size_t>::max()});
    EXPECT_TRUE(device.Calls().empty());
    EXPECT_EQ(mesh->VoxelCount(), 3u);
}

TEST_F(VoxelMeshTest, SettersLeaveTheirStateInTheBlock) {
    const VoxelConstants& c = mesh->Constants();
    EXPECT_EQ(c.brightness, 0.75f) << "default";
    Attach();
    EXPECT_THAT(c.dimensions, ElementsAre(4, 5, 6, 0)) << "the scalar grid's samples";
    mesh->SetGrids(nullptr, MakeDisplacements(device), kUnitBox);
    EXPECT_THAT(c.dimensions, ElementsAre(4, 5, 6, 0)) << "kept without a scalar grid";
    EXPECT_THAT(c.corner_max, ElementsAre(1, 1, 1, 0));

    device.ClearCalls();
    mesh->SetBrightness(1.25f);
    mesh->SetWireframeColor(0.25f, 2.0f, -1.0f, 0.5f);
    mesh->SetWireframe(true);
    EXPECT_EQ(c.brightness, 1.25f);
    EXPECT_THAT(c.wireframe_color, ElementsAre(0.25f, 2.0f, -1.0f, 0.5f));
    EXPECT_TRUE(device.Calls().empty()) << "no GPU call";
}

// min_value and max_value fall on the centres of the end texels: the
// difference taken in single precision, the rest in double, then rounded.
// The values were worked out apart from the library, bit for bit; the first
// row differs in its last bits from a difference taken in double, and from
// single precision throughout.
TEST_F(VoxelMeshTest, SamplingRangeIsDerivedExactlyWhicheverSetterComesLast) {
    const struct Case { std::size_t colors; float minValue, maxValue; float minSample, range; } cases[] = {
        {256, -0.3f, 100000.7f, -0x1.88c2c2p+7f, 0x1.88292ap+16f},
        {256, 0.0f, 1.0f, -0x1.010102p-9f, 0x1.010102p+0f},
        {2, -1.0f, 3.0f, -3.0f, 8.0f},
        {256, 5.0f, 1.0f, 0x1.408080p+2f, -0x1.010102p+2f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minValue);
        mesh->SetColorMap(Bytes(4 * c.colors, 200));
        mesh->SetValueRange(c.minValue, c.maxValue);
        EXPECT_EQ(mesh->Constants().min_sample_value, c.minSample);
        EXPECT_EQ(mesh->Constants().sample_value_range, c.range);
        mesh->SetColorMap(Bytes(4, 200));
        mesh->SetValueRange(c.minValue, c.maxValue);
        mesh->SetColorMap(Bytes(4 * c.colors, 200));
        EXPECT_EQ(mesh->Constants().min_sample_value, c.minSample) << "gradient after the range";
        EXPECT_EQ(mesh->Constants().sample_value_range, c.range) << "gradient after the range";
    }
}

// The grid box, widened by the displacement range, in world space; the
// empty box is transformed too.
TEST_F(VoxelMeshTest, WorldBoxIsTheGridBoxWidenedAndTransformed) {
    KxTransformMatrix model;
    model.MakeTranslation({10.0, 0.0, -1.0});
    mesh->SetModelTransform(model);
    EXPECT_EQ(mesh->GetWorldBoundingBox(), Transform(Box{}, model));
    std::shared_ptr<IVectorGrid> widening = CreateVectorGrid(device);
    ASSERT_TRUE(widening->SetVectors(2, 1, 1, std::vector<Vector3f>{{-0.5f, 0, 0}, {0, 0, 2}}));
    mesh->SetGrids(MakeValues(device), widening, kUnitBox);
    EXPECT_EQ(mesh->GetWorldBoundingBox(), Box({9.5f, 0.0f, -1.0f}, {11.0f, 1.0f, 2.0f}));
}

TEST_F(VoxelMeshTest, DrawsOnceVoxelsAndValuesAreThereInstallingViridisFirst) {
    mesh->SetGrids(nullptr, MakeDisplacements(device), kUnitBox);
    mesh->SetVoxels(kThreeVoxels);
    EXPECT_THAT(Draw(*mesh), ElementsAre()) << "no values";
    mesh->SetGrids(MakeValues(device), nullptr, kUnitBox);
    mesh->SetVoxels({});
    EXPECT_THAT(Draw(*mesh), ElementsAre()) << "no voxels";
    EXPECT_EQ(mesh->GradientWidth(), 1u);

    Attach();
    EXPECT_THAT(Draw(*mesh), ElementsAre("CreateImage", "WriteImage", "CreateImageView", "UpdateBuffer",
                                         "CreateProgram", "CreatePipelineState", "BindDrawCall", "DrawVertices"));
    EXPECT_EQ(First("CreateImage").arguments, "{256,0,0,6,1,1,65}");
    EXPECT_EQ(First("UpdateBuffer").arguments, IdText(constantBuffer) + ",0,448");
    const VoxelConstants uploaded = Uploaded<VoxelConstants>();
    EXPECT_THAT(uploaded.underflow_color, ElementsAre(68 / 255.0f, 1 / 255.0f, 84 / 255.0f, 1));
    EXPECT_THAT(uploaded.overflow_color, ElementsAre(253 / 255.0f, 231 / 255.0f, 36 / 255.0f, 1));
    EXPECT_EQ(uploaded.min_sample_value, -0x1.010102p-9f);
    const DrawArguments& draw = First("DrawVertices").As<DrawArguments>();
    EXPECT_EQ(std::tuple(draw.vertexCount, draw.firstVertex, draw.vertexBuffers[0].IsNull()), std::tuple(3u, 0u, true))
        << "one point per voxel, from no buffer";
    EXPECT_THAT(Draw(*mesh), ElementsAre("UpdateBuffer", "BindDrawCall", "DrawVertices"));
}

TEST_F(VoxelMeshTest, EachDrawAsksForTheVariantItsStateSelects) {
    const struct Case {
        const char* name;
        bool vectorGrid;
        float deformation;
        bool probeValue, probeDepth;
        std::size_t planes;
        bool wireframe, deform;
    } cases[] = {
        {"plain", false, 0.0f, false, false, 0, false, false},
        {"deformation without vector grid", false, 1.0f, false, false, 0, false, false},
        {"deformation at the threshold", true, 0.0001f, false, false, 0, false, false},
        {"deformation at minus the threshold", true, -0.0001f, false, false, 0, false, false},
        {"deformation just above", true, 0.00011f, false, false, 0, false, true},
        {"value probe", false, 0.0f, true, false, 0, false, false},
        {"depth probe", false, 0.0f, false, true, 1, false, false},
        {"eight planes and wireframe", false, 0.0f, false, false, 8, true, false},
        {"everything", true, -0.5f, true, true, 3, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Attach(c.vectorGrid);
        mesh->SetDeformation(c.deformation);
        mesh->SetClipPlanes(PlanesAcrossX(c.planes));
        mesh->SetWireframe(c.wireframe);
        cache = {};
        Draw(*mesh, Pass(c.probeValue, c.probeDepth));

        ASSERT_EQ(cache.programs.size(), 1u);
        EXPECT_EQ(cache.programs.begin()->first, ProgramKey(c.deform, c.probeValue, c.probeDepth, c.planes, c.wireframe));
        const PipelineStateDesc& state = First("CreatePipelineState").As<PipelineStateDesc>();
        EXPECT_EQ(std::tuple(state.topology, state.cullMode, state.frontFace, state.targetFormats[kTargetProbeValue],
                             state.targetFormats[kTargetProbeDepth]),
                  std::tuple(kTopologyPoints, kCullBack, kFrontFaceCounterClockwise,
                             c.probeValue ? kFormatR32Float : 0u, c.probeDepth ? kFormatR32Float : 0u));
        // Seeded by the class: the state's hash covers the program.
        const std::uint64_t stateHash = detail::HashPipelineState(state);
        EXPECT_EQ(cache.pipelineStates.begin()->first, Combine(Seed(), Fnv1a(&stateHash, sizeof stateHash)));

        const DrawCallDesc& call = First("BindDrawCall").As<BindDrawCallArguments>().drawCall;
        EXPECT_EQ(std::pair(call.constantBuffers[0].buffer, call.constantBuffers[0].stageMask),
                  std::pair(constantBuffer, 25u)) << "vertex, geometry and pixel";
        EXPECT_EQ(BindingOf(call, 0), Bound(voxelView, SamplerId::Null(), 1));
        EXPECT_EQ(BindingOf(call, 1), c.deform ? Bound(displacements->GetTexture().view, sampler, 1) : Bound({}, {}, 0));
        EXPECT_EQ(BindingOf(call, 2), Bound(values->GetTexture().view, sampler, 16));
        EXPECT_EQ(BindingOf(call, 3), Bound(call.resources[3].view, sampler, 16));
        EXPECT_FALSE(call.resources[3].view.IsNull()) << "the gradient";
        EXPECT_EQ(BindingOf(call, 4), Bound(coveredFacesView, SamplerId::Null(), 1));
    }
}

}  // namespace
}  // namespace Korvex::Rendering::test_support
