#include "TriangleRecording.h"

#include "meshes/triangle/CapPlacement.h"

#include <gmock/gmock.h>

namespace Korvex::Rendering::triangle_test {
namespace {

using ::testing::ElementsAre;

// What distinguishes the passes of the capped sequence.
struct PassShape {
    std::string operation;
    std::uint64_t planeCount = 0;
    bool drawingPlane = false;
    bool probes = false;

    friend bool operator==(const PassShape&, const PassShape&) = default;
    friend std::ostream& operator<<(std::ostream& out, const PassShape& p) {
        return out << p.operation << "(planes " << p.planeCount << (p.drawingPlane ? ", cap" : "")
                   << (p.probes ? ", probes" : "") << ")";
    }
};

std::vector<PassShape> Shapes(const std::vector<RecordedPass>& passes) {
    std::vector<PassShape> shapes;
    for (const RecordedPass& p : passes)
        shapes.push_back({p.operation, p.planeCount, p.drawingPlane,
                          p.operation == "Draw" && !p.drawCall.targets[kTargetProbeValue].IsNull() &&
                              !p.drawCall.targets[kTargetProbeDepth].IsNull()});
    return shapes;
}

const PassShape kClearAll{"ClearDepthStencil"};
const PassShape kClearDepth{"ClearDepth"};
PassShape Cap(std::uint64_t otherPlanes, bool probes = false) { return {"Draw", otherPlanes, true, probes}; }
PassShape Surface(std::uint64_t planes, bool probes = false) { return {"Draw", planes, false, probes}; }

class TriangleCappingTest : public TriangleMeshRecordingTest {
protected:
    void SetPlanes(std::size_t count) {
        planes = PlanesX(count);
        for (std::size_t i = 0; i < count; ++i) planes[i].b = static_cast<float>(i);  // each plane its own
        mesh.SetClipPlanes(planes);
    }

    std::vector<ClipPlane> planes;
};

TEST_F(TriangleCappingTest, TwoPlanesDrawCapsCountCapsAgainThenTheClippedSurface) {
    AttachInputs();
    SetPlanes(2);

    const std::vector<RecordedPass> passes = DrawPasses();

    EXPECT_THAT(Shapes(passes), ElementsAre(kClearAll, Cap(1), Cap(1), Surface(0), kClearDepth, Cap(1), Cap(1),
                                            Surface(2)));
    // The four caps share a program; the two surfaces have one each.
    EXPECT_EQ(device.CountOf("CreateProgram"), 3u);
    EXPECT_EQ(passes[1].program, passes[6].program);
    EXPECT_NE(passes[3].program, passes[7].program);
    // Pipelines: the first caps, the count, the second caps, the surface.
    EXPECT_EQ(device.CountOf("CreatePipelineState"), 4u);
    EXPECT_EQ(cache.pipelineStates.size(), 4u);
}

TEST_F(TriangleCappingTest, ClearsNameTheColourAndDepthStencilTargets) {
    AttachInputs();
    SetPlanes(1);
    device.ClearCalls();
    Draw();

    const std::string targetsText = IdText(targets.color) + "," + IdText(targets.depthStencil) + ",1";
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation == "ClearDepthStencil") {
            EXPECT_EQ(call.arguments, targetsText + ",0");
        } else if (call.operation == "ClearDepth") {
            EXPECT_EQ(call.arguments, targetsText);
        }
    }
}

// The host fields each step writes, pass by pass.
struct StepState {
    std::uint32_t stencilCompare;  // front and back alike
    std::uint8_t depthWrite;
    std::uint32_t stencilPassFront;
    std::uint32_t stencilPassBack;
    std::uint8_t colorWrite;
    std::uint32_t stencilReference;
};

TEST_F(TriangleCappingTest, EachStepWritesItsDepthStencilAndColourState) {
    AttachInputs();
    SetPlanes(1);
    RenderPassDesc pass = targets.Pass();
    pass.cullMode = kCullBack;         // overridden: every pass draws both faces
    pass.depthCompare = kCompareLessEqual;  // overridden: caps need less
    device.ClearCalls();

    mesh.Draw(nullptr, pass, cache, nullptr);

    const std::vector<RecordedPass> passes = PassesOf(device);
    ASSERT_THAT(Shapes(passes), ElementsAre(kClearAll, Cap(0), Surface(0), kClearDepth, Cap(0), Surface(1)));
    const std::pair<std::size_t, StepState> steps[] = {
        {1, {kCompareAlways, 1, kStencilKeep, kStencilKeep, 0, 0}},                    // cap depths
        {2, {kCompareAlways, 0, kStencilIncrementWrap, kStencilDecrementWrap, 0, 0}},  // count
        {4, {kCompareEqual, 1, kStencilKeep, kStencilKeep, 1, 1}},                     // caps where 1
        {5, {kCompareAlways, 1, kStencilKeep, kStencilKeep, 1, 0}},                    // surface
    };
    for (const auto& [index, step] : steps) {
        const PipelineStateDesc& s = passes[index].state;
        EXPECT_EQ(s.cullMode, kCullNone) << index;
        EXPECT_EQ(s.depthCompare, kCompareLess) << index;
        EXPECT_EQ(s.stencilCompareFront, step.stencilCompare) << index;
        EXPECT_EQ(s.stencilCompareBack, step.stencilCompare) << index;
        EXPECT_EQ(s.depthWrite, step.depthWrite) << index;
        EXPECT_EQ(s.stencilPassOpFront, step.stencilPassFront) << index;
        EXPECT_EQ(s.stencilPassOpBack, step.stencilPassBack) << index;
        EXPECT_EQ(s.colorWrite, step.colorWrite) << index;
        EXPECT_EQ(passes[index].drawCall.stencilReference, step.stencilReference) << index;
    }
}

TEST_F(TriangleCappingTest, ProbeTargetsOnlyInTheColouredPasses) {
    RecordingTargets probing(device, 32, 32, true);
    AttachInputs();
    SetPlanes(2);
    device.ClearCalls();

    mesh.Draw(nullptr, probing.Pass(), cache, nullptr);

    const std::vector<RecordedPass> passes = PassesOf(device);
    EXPECT_THAT(Shapes(passes), ElementsAre(kClearAll, Cap(1), Cap(1), Surface(0), kClearDepth, Cap(1, true),
                                            Cap(1, true), Surface(2, true)));
    for (const RecordedPass& p : passes) {
        if (p.operation != "Draw") continue;
        const bool probes = !p.drawCall.targets[kTargetProbeValue].IsNull();
        EXPECT_EQ(p.state.targetFormats[kTargetProbeValue], probes ? 37u : 0u);
        EXPECT_EQ(p.state.targetFormats[kTargetProbeDepth], probes ? 37u : 0u);
        EXPECT_EQ(p.drawCall.targets[kTargetColor], probing.color);
        EXPECT_EQ(p.drawCall.targets[kTargetDepthStencil], probing.depthStencil);
    }
}

std::vector<detail::Float4> AsFloat4(const std::vector<ClipPlane>& planes) {
    std::vector<detail::Float4> out;
    for (const ClipPlane& p : planes) out.push_back({p.a, p.b, p.c, p.d});
    return out;
}

struct CopyCase {
    std::size_t planeCount;
    std::size_t cappedPlane;
    std::vector<std::size_t> remaining;  // mesh planes in the copy's slots, in order; -1: zero
};

TEST_F(TriangleCappingTest, EachCapIsClippedByTheOtherPlanes) {
    constexpr std::size_t kZero = ~std::size_t{0};
    const CopyCase cases[] = {
        {3, 1, {0, 2, kZero, kZero, kZero, kZero, kZero, kZero}},
        {3, 0, {1, 2, kZero, kZero, kZero, kZero, kZero, kZero}},
        {8, 7, {0, 1, 2, 3, 4, 5, 6, 7}},  // its own plane is past the count
        {8, 0, {1, 2, 3, 4, 5, 6, 7, 7}},  // the last slot keeps its value
        {1, 0, {kZero, kZero, kZero, kZero, kZero, kZero, kZero, kZero}},
    };
    for (const CopyCase& c : cases) {
        AttachInputs();
        SetPlanes(c.planeCount);
        const std::vector<RecordedPass> passes = DrawPasses();
        ASSERT_EQ(passes.size(), 2 * c.planeCount + 4);
        const std::vector<detail::Float4> meshPlanes = AsFloat4(planes);

        for (const std::size_t round : {std::size_t{1}, c.planeCount + 3}) {
            const RecordedPass& cap = passes[round + c.cappedPlane];
            ASSERT_TRUE(cap.drawingPlane);
            EXPECT_EQ(cap.planeCount, c.planeCount - 1);
            for (std::size_t slot = 0; slot < 8; ++slot) {
                const detail::Float4 expected =
                    c.remaining[slot] == kZero ? detail::Float4{} : meshPlanes[c.remaining[slot]];
                EXPECT_EQ(cap.constants.clip_planes[slot], expected)
                    << c.planeCount << " planes, cap " << c.cappedPlane << ", slot " << slot;
            }
        }
    }
}

TEST_F(TriangleCappingTest, CapsArePlacedInTheirPlanesAndTheSurfaceKeepsTheMeshConstants) {
    AttachInputs();
    SetPlanes(2);
    KxTransformMatrix model;
    model.MakeTranslation({0.5, 0, 0});
    mesh.SetModelTransform(model);

    const std::vector<RecordedPass> passes = DrawPasses();

    const TriangleConstants meshConstants = mesh.Constants();
    for (std::size_t plane = 0; plane < 2; ++plane) {
        TriangleConstants expected = meshConstants;
        detail::ComputeCapConstants(expected, planes[plane], kUnitBox, model, {}, {});
        for (const std::size_t index : {1 + plane, 5 + plane})
            EXPECT_EQ(passes[index].constants.unit_plane_matrix, expected.unit_plane_matrix) << index;
    }
    for (const std::size_t surface : {3u, 7u})
        EXPECT_EQ(std::memcmp(&passes[surface].constants, &meshConstants, sizeof meshConstants), 0) << surface;
    EXPECT_EQ(meshConstants.unit_plane_matrix, detail::kIdentityFloat4x4);
    EXPECT_EQ(meshConstants.clip_planes[0], AsFloat4(planes)[0]);
    EXPECT_EQ(meshConstants.clip_planes[1], AsFloat4(planes)[1]);
}

TEST_F(TriangleCappingTest, CapsAreDrawnOnTheQuadAndTheSurfaceOnTheGeometry) {
    AttachInputs();
    SetPlanes(1);
    device.ClearCalls();
    Draw();

    std::vector<std::int64_t> indexCounts;
    for (const RecordedCall& call : device.Calls())
        if (call.operation == "DrawIndexed") indexCounts.push_back(call.As<DrawArguments>().indexCount);
    EXPECT_THAT(indexCounts, ElementsAre(6, 3, 6, 3));
}

TEST_F(TriangleCappingTest, WithoutCappingOrWithDeformationOnePassTakesAllPlanes) {
    struct Case {
        const char* name;
        bool capping;
        bool vectorGrid;
        float deformation;
        std::vector<PassShape> shapes;
    };
    const Case cases[] = {
        {"capping off", false, false, 0.0f, {Surface(3)}},
        {"deformed", true, true, -0.5f, {Surface(3)}},
        {"deformation without a vector grid", true, false, 0.5f, {Surface(3)}},
        {"deformation too small to matter", true, true, 0.00005f,
         {kClearAll, Cap(2), Cap(2), Cap(2), Surface(0), kClearDepth, Cap(2), Cap(2), Cap(2), Surface(3)}},
    };
    for (const Case& c : cases) {
        AttachInputs(c.vectorGrid);
        SetPlanes(3);
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        EXPECT_EQ(Shapes(DrawPasses()), c.shapes) << c.name;
        mesh.SetCapping(true);
    }
}

TEST_F(TriangleCappingTest, AFailedCapProgramLeavesTheSurfacePasses) {
    AttachInputs();
    SetPlanes(2);
    device.FailOperation("CreateProgram", 1);  // the caps' program

    const std::vector<RecordedPass> passes = DrawPasses();

    EXPECT_THAT(Shapes(passes), ElementsAre(kClearAll, Surface(0), kClearDepth, Surface(2)));
}

TEST_F(TriangleCappingTest, CachedCappedDrawCreatesNothing) {
    AttachInputs();
    SetPlanes(3);
    Draw();
    device.ClearCalls();

    Draw();

    for (const char* creation : {"CreateProgram", "CreatePipelineState", "CreateImage", "CreateBuffer"})
        EXPECT_EQ(device.CountOf(creation), 0u) << creation;
    EXPECT_EQ(device.CountOf("BindDrawCall"), 8u);
}

}  // namespace
}  // namespace Korvex::Rendering::triangle_test
