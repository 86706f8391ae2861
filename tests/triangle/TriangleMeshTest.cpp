// The triangle mesh on the recording device: its objects, its colour
// gradient, its technique, the single pass of an uncapped draw, the capped
// sequence (per plane a stencil clear, the count and the cap where the
// surface encloses it, then the clipped surface), and where a cap lands.

#include "core/CacheKey.h"
#include "meshes/triangle/CapPlacement.h"
#include "meshes/triangle/TriangleGridMesh.h"

#include <ExpectedKeys.h>
#include <MeshScene.h>

#include <gmock/gmock.h>

#include <cmath>
#include <map>
#include <optional>

namespace Korvex::Rendering::test_support {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;
using detail::Float4;
using detail::Float4x4;

using detail::TriangleConstants;

struct Variant {
    std::uint64_t planeCount = 0;
    bool deform = false, drawingPlane = false, probeValue = false, probePosition = false, displaced = false;
};

// The class seed, then each field hashed twice, in declaration order;
// displaced only when set.
std::uint64_t ProgramKey(const Variant& v) {
    std::uint64_t h = CombineTwiceHashed(Fnv1a("Korvex.Rendering.Simulation-TriangleGridMesh"), v.planeCount);
    for (const bool flag : {v.deform, v.drawingPlane, v.probeValue, v.probePosition}) h = CombineTwiceHashed(h, flag);
    return v.displaced ? CombineTwiceHashed(h, true) : h;
}

// What one BindDrawCall drew (operation "Draw"), or a clear.
struct RecordedPass {
    std::string operation;
    std::uint64_t programKey = 0;
    PipelineStateDesc state;
    DrawCallDesc drawCall;
    BufferId vertexBuffer;         // of the draw that followed the bind
    TriangleConstants constants;  // the last upload before the bind
};

class TriangleScene : public MeshScene {
protected:
    void Attach(bool withDisplacements = false, bool open = false) {
        values = MakeValues(device);
        displacements = withDisplacements ? MakeDisplacements(device) : nullptr;
        mesh.SetGeometry(MakeGeometry(device, 3, open));
        mesh.SetGrids(values, displacements, kUnitBox);
        for (auto call = device.Calls().rbegin(); call != device.Calls().rend(); ++call)
            if (call->operation == "CreateBuffer" && call->As<BufferDesc>().usage == kBufferUsageVertex) {
                quadVertices = BufferId{call->result};
                break;
            }
    }

    // Drawn with an empty cache, so that every program and pipeline shows.
    std::vector<RecordedPass> DrawPasses(const RenderPassDesc& pass) {
        cache = {};
        Draw(mesh, pass);
        std::map<std::uint64_t, std::uint64_t> keyOfProgram;
        for (const auto& [key, program] : cache.programs) keyOfProgram[program.Get().value] = key;
        std::map<std::uint64_t, PipelineStateDesc> pipelines;
        std::optional<TriangleConstants> constants;
        std::vector<RecordedPass> passes;
        for (const RecordedCall& call : device.Calls()) {
            if (call.operation == "CreatePipelineState") pipelines[call.result] = call.As<PipelineStateDesc>();
            if (call.operation == "UpdateBuffer") {
                constants.emplace();
                std::memcpy(&*constants, call.As<std::vector<std::uint8_t>>().data(), sizeof *constants);
            }
            if (call.operation == "ClearStencil") passes.emplace_back().operation = call.operation;
            if (call.operation == "DrawIndexed") passes.back().vertexBuffer = call.As<DrawArguments>().vertexBuffers[0];
            if (call.operation != "BindDrawCall") continue;
            const BindDrawCallArguments& bind = call.As<BindDrawCallArguments>();
            RecordedPass& drawn = passes.emplace_back();
            drawn.operation = "Draw";
            drawn.state = pipelines.at(bind.pipeline.value);
            drawn.programKey = keyOfProgram.at(drawn.state.program.value);
            drawn.drawCall = bind.drawCall;
            drawn.constants = constants.value();
        }
        return passes;
    }
    std::vector<RecordedPass> DrawPasses() { return DrawPasses(Pass()); }

    TriangleGridMesh mesh{device};
    const SamplerId sampler{device.Calls().at(1).result};
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
    BufferId quadVertices;  // of the cap quad the last Attach built
};

using TriangleMeshTest = TriangleScene;

TEST_F(TriangleMeshTest, TechniqueFollowsCappingDeformationPlanesAndAlpha) {
    const struct Case {
        const char* name; bool capping; float deformation, alpha; std::size_t planes; const char* technique;
    } cases[] = {
        {"capped", true, 0.0f, 1.0f, 1, "CappedSimulationTechnique"},
        {"capped even when transparent", true, 0.0f, 0.5f, 8, "CappedSimulationTechnique"},
        {"capped with negative zero deformation", true, -0.0f, 1.0f, 2, "CappedSimulationTechnique"},
        {"capped below the deformation threshold", true, 0.00001f, 1.0f, 1, "CappedSimulationTechnique"},
        {"deformed", true, 0.5f, 1.0f, 1, "SimulationTechnique"},
        {"deformed, transparent", true, -0.5f, 0.999f, 1, "TransparentSimulationTechnique"},
        {"no plane", true, 0.0f, 1.0f, 0, "SimulationTechnique"},
        {"capping off, transparent", false, 0.0f, 0.0f, 3, "TransparentSimulationTechnique"},
    };
    Attach(true);
    for (const Case& c : cases) {
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        mesh.SetAlpha(c.alpha);
        mesh.SetClipPlanes(PlanesAcrossX(c.planes));
        EXPECT_EQ(mesh.GetTechnique(), StringId(c.technique)) << c.name;
    }
}

// A colour table becomes a 1D RGBA8 image of one texel per colour; its end
// colours (the last four bytes), or the ones given, colour values beyond
// the range. One texel is spread over two; views shorter than a colour
// change nothing.
TEST_F(TriangleMeshTest, ColorMapInstallsAGradientImageAndItsEndColours) {
    const auto endColors = [&] {
        return std::tuple(mesh.GradientWidth(), mesh.Constants().underflow_color, mesh.Constants().overflow_color);
    };
    device.ClearCalls();
    mesh.SetColorMap(Bytes{51, 102, 153, 204, 255, 0});
    ASSERT_THAT(device.OperationNames(), ElementsAre("CreateImage", "WriteImage", "CreateImageView"));
    EXPECT_EQ(device.Calls()[0].arguments, "{1,0,0,6,1,1,65}");
    EXPECT_EQ(device.ImageBytes(ImageId{device.Calls()[0].result}), (Bytes{51, 102, 153, 204}));
    EXPECT_EQ(endColors(), std::tuple(std::size_t{2}, Float4{0.2f, 0.4f, 0.6f, 0.8f}, Float4{0.6f, 0.8f, 1, 0}));

    device.ClearCalls();
    mesh.SetColorMap(Bytes{0, 0, 255, 255}, Bytes(32, 7), Bytes{255, 0, 0, 255});
    EXPECT_THAT(device.OperationNames(),
                ElementsAre("DestroyImageView", "DestroyImage", "CreateImage", "WriteImage", "CreateImageView"));
    EXPECT_EQ(device.ImageBytes(ImageId{device.Calls()[2].result}), Bytes(32, 7));
    EXPECT_EQ(endColors(), std::tuple(std::size_t{8}, Float4{0, 0, 1, 1}, Float4{1, 0, 0, 1}));

    const TriangleConstants before = mesh.Constants();
    device.ClearCalls();
    const Bytes shortView{1, 2, 3}, oneColor{1, 2, 3, 4};
    mesh.SetColorMap(shortView);
    mesh.SetColorMap(shortView, Bytes(16, 9), oneColor);
    mesh.SetColorMap(oneColor, shortView, oneColor);
    mesh.SetColorMap(oneColor, Bytes(16, 9), shortView);
    EXPECT_TRUE(device.Calls().empty());
    EXPECT_EQ(std::memcmp(&before, &mesh.Constants(), sizeof before), 0);
}

// A constants block and a sampler from the start; a draw once geometry and
// values are attached, the first installing viridis.
TEST_F(TriangleMeshTest, DrawsOnceGeometryAndValuesAreAttachedInstallingViridisFirst) {
    ASSERT_THAT(device.OperationNames(), ElementsAre("CreateBuffer", "CreateSampler"));
    EXPECT_EQ(device.Calls()[0].arguments, "{624,36},null");
    EXPECT_EQ(device.Calls()[1].arguments, "{2,1}") << "linear, clamped";
    for (const bool geometry : {false, true}) {
        TriangleGridMesh bare(device);
        if (geometry) bare.SetGeometry(MakeGeometry(device, 3));
        bare.SetGrids(geometry ? nullptr : MakeValues(device), MakeDisplacements(device), kUnitBox);
        bare.SetClipPlanes(PlanesAcrossX(2));
        EXPECT_THAT(Draw(bare), ElementsAre()) << (geometry ? "no values" : "no geometry");
        EXPECT_EQ(bare.GradientWidth(), 1u);
    }

    Attach();
    EXPECT_THAT(Draw(mesh), ElementsAre("CreateImage", "WriteImage", "CreateImageView", "GetImageInfo",
                                        "UpdateBuffer", "CreateProgram", "CreatePipelineState", "BindDrawCall",
                                        "DrawIndexed"));
    EXPECT_EQ(First("CreateImage").arguments, "{256,0,0,6,1,1,65}");
    const Bytes& viridis = First("WriteImage").As<Bytes>();
    EXPECT_EQ(Bytes(viridis.begin(), viridis.begin() + 4), (Bytes{68, 1, 84, 255}));
    EXPECT_EQ(Bytes(viridis.end() - 4, viridis.end()), (Bytes{253, 231, 36, 255}));
    EXPECT_EQ(mesh.Constants().underflow_color, (Float4{68 / 255.0f, 1 / 255.0f, 84 / 255.0f, 1}));
    EXPECT_THAT(Draw(mesh), ElementsAre("GetImageInfo", "UpdateBuffer", "BindDrawCall", "DrawIndexed"));
}

// Without caps a draw is one pass with every plane: both faces, the
// variant's program, constants to the stages that read them, the textures.
// A deformed surface is tessellated unless its edges are shorter than the
// smallest cell (0.5 here), which keeps every level at 1: then the vertex
// stage displaces it.
TEST_F(TriangleMeshTest, UncappedDrawIsOnePassOfTheVariantItsStateSelects) {
    const struct Case {
        const char* name; std::size_t planes; bool capping, vectorGrid; float deformation; bool probes; Variant variant;
    } cases[] = {
        {"plain", 0, true, false, 0.0f, false, {0, false, false, false, false}},
        {"probes", 0, true, false, 0.0f, true, {0, false, false, true, true}},
        {"clipped, capping off", 5, false, true, 0.0f, false, {5, false, false, false, false}},
        {"deformation too small to displace", 0, true, true, 0.00005f, true, {0, false, false, true, true}},
        {"deformed and clipped", 3, true, true, -0.5f, true, {3, true, false, true, true}},
        {"deformed, edges within a cell", 3, true, true, -0.5f, true, {3, true, false, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Attach(c.vectorGrid);
        if (c.variant.displaced) mesh.SetGeometry(MakeGeometry(device, 3, false, 0.35f));  // edges up to 0.49
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        mesh.SetClipPlanes(PlanesAcrossX(c.planes));
        RenderPassDesc pass = Pass(c.probes, c.probes);
        pass.cullMode = kCullBack;
        const std::vector<RecordedPass> passes = DrawPasses(pass);

        ASSERT_EQ(passes.size(), 1u);
        const RecordedPass& p = passes[0];
        const bool deform = c.variant.deform, tessellated = deform && !c.variant.displaced;
        EXPECT_EQ(p.programKey, ProgramKey(c.variant));
        const std::uint32_t probeFormat = c.probes ? kFormatR32Float : 0u;
        EXPECT_EQ(std::tuple(p.state.topology, p.state.cullMode, p.state.targetFormats[kTargetProbeValue],
                             p.state.targetFormats[kTargetProbeDepth]),
                  std::tuple(tessellated ? kTopologyPatch3 : kTopologyTriangleList, kCullNone, probeFormat,
                             probeFormat));
        const DrawCallDesc& d = p.drawCall;
        EXPECT_EQ(d.constantBuffers[0].stageMask, tessellated ? 23u : 17u);
        EXPECT_EQ(BindingOf(d, 1),
                  deform ? Bound(displacements->GetTexture().view, sampler, tessellated ? 4 : 1) : Bound({}, {}, 0));
        EXPECT_EQ(BindingOf(d, 2), Bound(values->GetTexture().view, sampler, 16));
        EXPECT_EQ(BindingOf(d, 3), Bound(d.resources[3].view, sampler, 16));
        EXPECT_FALSE(d.resources[3].view.IsNull()) << "the gradient";
        const std::uint64_t stateHash = detail::HashPipelineState(p.state);
        EXPECT_EQ(cache.pipelineStates.begin()->first, Combine(ProgramKey(c.variant), Fnv1a(&stateHash, 8)));
    }

    // The caller's state learns that both faces are drawn; its draw call stays.
    PipelineStateDesc state = detail::PipelineStateForPass(Pass());
    state.cullMode = kCullBack;
    DrawCallDesc drawCall = detail::DrawCallForPass(Pass());
    const DrawCallDesc drawCallBefore = drawCall;
    mesh.DrawWithState(device, state, drawCall, cache, nullptr);
    EXPECT_EQ(state.cullMode, kCullNone);
    EXPECT_TRUE(state.program.IsNull()) << "the program goes into the pass's own copy";
    EXPECT_EQ(std::memcmp(&drawCall, &drawCallBefore, sizeof drawCall), 0);
}

// What tells the passes of the sequence apart: a clear, or a draw of a
// variant and whether it drew the cap quad.
struct Shape {
    std::string operation;
    std::uint64_t programKey = 0;
    bool onQuad = false;
    friend bool operator==(const Shape&, const Shape&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Shape& s) {
        return out << s.operation << (s.onQuad ? " on the quad" : "") << std::hex << " " << s.programKey;
    }
};

const Shape kClear{"ClearStencil"};
Shape Cap(std::uint64_t otherPlanes, bool probes = false) {
    return {"Draw", ProgramKey({otherPlanes, false, true, probes, probes}), true};
}
Shape Surface(std::uint64_t planes, bool probes = false, bool deform = false) {
    return {"Draw", ProgramKey({planes, deform, false, probes, probes}), false};
}
// The unclipped surface beyond one plane, into the stencil buffer only.
const Shape kCount = Surface(1);

class TriangleCappingTest : public TriangleScene {
protected:
    void SetUp() override { Attach(true); }

    std::vector<Shape> Shapes(const std::vector<RecordedPass>& passes) const {
        std::vector<Shape> shapes;
        for (const RecordedPass& p : passes) shapes.push_back({p.operation, p.programKey, p.vertexBuffer == quadVertices});
        return shapes;
    }
};

TEST_F(TriangleCappingTest, TwoPlanesCountAndCapEachPlaneThenDrawTheClippedSurface) {
    mesh.SetClipPlanes(PlanesAcrossX(2));

    const std::vector<RecordedPass> passes = DrawPasses();

    EXPECT_THAT(Shapes(passes),
                ElementsAre(kClear, kCount, Cap(1, true), kClear, kCount, Cap(1, true), Surface(2, true)));
    EXPECT_EQ(device.CountOf("CreateProgram"), 3u);
    EXPECT_EQ(device.CountOf("CreatePipelineState"), 3u) << "count, caps, surface";
    EXPECT_EQ(First("ClearStencil").arguments, IdText(color) + "," + IdText(depthStencil) + ",0");
    for (const RecordedPass& p : passes) {
        if (p.operation != "Draw") continue;
        const bool probes = !p.drawCall.targets[kTargetProbeValue].IsNull();
        EXPECT_EQ(std::tuple(p.drawCall.targets[kTargetProbeDepth].IsNull(), p.state.targetFormats[kTargetProbeValue],
                             p.drawCall.targets[kTargetColor], p.drawCall.targets[kTargetDepthStencil]),
                  std::tuple(!probes, probes ? kFormatR32Float : 0u, color, depthStencil));
    }
}

// Each cap is clipped by the other planes: its copy of the constants holds
// them moved down over its own. The count is clipped by its own plane alone
// (the identity camera sees these edge-on, so it is not turned), and the
// surface passes the mesh's own.
TEST_F(TriangleCappingTest, EachCapIsClippedByTheOtherPlanes) {
    constexpr std::size_t kZero = 99;
    const struct Case {
        std::size_t planeCount, cappedPlane;
        std::array<std::size_t, 8> slots;  // mesh planes in the copy's slots; kZero: all zero
    } cases[] = {
        {3, 1, {0, 2, kZero, kZero, kZero, kZero, kZero, kZero}},
        {3, 0, {1, 2, kZero, kZero, kZero, kZero, kZero, kZero}},
        {8, 7, {0, 1, 2, 3, 4, 5, 6, 7}},  // its own plane is past the count
        {8, 0, {1, 2, 3, 4, 5, 6, 7, 7}},  // the last slot keeps its value
        {1, 0, {kZero, kZero, kZero, kZero, kZero, kZero, kZero, kZero}},
    };
    for (const Case& c : cases) {
        const std::vector<ClipPlane> planes = PlanesAcrossX(c.planeCount);
        mesh.SetClipPlanes(planes);
        const std::vector<RecordedPass> passes = DrawPasses();
        ASSERT_EQ(passes.size(), 3 * c.planeCount + 1);
        const TriangleConstants& cap = passes[3 * c.cappedPlane + 2].constants;
        for (std::size_t slot = 0; slot < 8; ++slot) {
            const ClipPlane p = c.slots[slot] == kZero ? ClipPlane{} : planes[c.slots[slot]];
            EXPECT_EQ(cap.clip_planes[slot], (detail::Float4{p.a, p.b, p.c, p.d}))
                << c.planeCount << " planes, cap " << c.cappedPlane << ", slot " << slot;
        }
        TriangleConstants count = passes[3 * c.cappedPlane + 1].constants;
        const ClipPlane own = planes[c.cappedPlane];
        EXPECT_EQ(count.clip_planes[0], (detail::Float4{own.a, own.b, own.c, own.d}));
        count.clip_planes = mesh.Constants().clip_planes;
        EXPECT_EQ(std::memcmp(&count, &mesh.Constants(), sizeof count), 0);
        EXPECT_EQ(std::memcmp(&passes.back().constants, &mesh.Constants(), sizeof count), 0) << "the surface";
    }
}

// Caps need capping on, a plane, a closed surface and |deformation| at most
// 1e-4 (the tessellation's threshold); the technique follows the same rule.
TEST_F(TriangleCappingTest, OtherwiseOnePassTakesAllPlanes) {
    struct Case { const char* name; bool capping, vectorGrid; float deformation; std::vector<Shape> shapes; bool open; };
    const std::vector<Shape> capped{kClear, kCount, Cap(2, true), kClear, kCount, Cap(2, true),
                                    kClear, kCount, Cap(2, true), Surface(3, true)};
    const Case cases[] = {
        {"capping off", false, true, 0.0f, {Surface(3, true)}, false},
        {"deformed", true, true, -0.5f, {Surface(3, true, true)}, false},
        {"deformation just beyond the threshold", true, true, 0.0001001f, {Surface(3, true, true)}, false},
        {"deformation at minus the threshold", true, true, -0.0001f, capped, false},
        {"deformation without a vector grid", true, false, 0.5f, capped, false},
        {"open surface", true, true, 0.0f, {Surface(3, true)}, true},
    };
    for (const Case& c : cases) {
        Attach(c.vectorGrid, c.open);
        mesh.SetClipPlanes(PlanesAcrossX(3));
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        EXPECT_EQ(Shapes(DrawPasses()), c.shapes) << c.name;
        EXPECT_EQ(mesh.GetTechnique() == StringId("CappedSimulationTechnique"), c.shapes.size() > 1) << c.name;
    }
}

using Vec4 = std::array<float, 4>;

// A column-major float4x4 applied to (x, y, z, w).
Vec4 Apply(const Float4x4& m, const Vec4& v) {
    Vec4 out{};
    for (std::size_t r = 0; r < 4; ++r)
        for (std::size_t c = 0; c < 4; ++c) out[r] += m[4 * c + r] * v[c];
    return out;
}

// The quad's origin lands where the dominant axis through the box centre
// meets the plane, (0, 0, 1) turns onto the unit normal, and every corner
// stays in the plane.
TEST(CapPlacementTest, QuadLiesInThePlaneCentredOnTheDominantAxisThroughTheBoxCentre) {
    const boundingbox<float, 3> box{{0, 0, 0}, {10, 10, 10}};
    const struct { const char* name; ClipPlane plane; Vec4 centre, normal; } cases[] = {
        {"x = 5", {1, 0, 0, -5}, {5, 5, 5, 1}, {1, 0, 0, 0}},
        {"x = 2 from the other side", {-1, 0, 0, 2}, {2, 5, 5, 1}, {-1, 0, 0, 0}},
        {"oblique, y dominant", {0.6f, 0.8f, 0, -8}, {5, 6.25f, 5, 1}, {0.6f, 0.8f, 0, 0}},
        {"z = 2", {0, 0, 1, -2}, {5, 5, 2, 1}, {0, 0, 1, 0}},
        {"z = 3 facing down", {0, 0, -1, 3}, {5, 5, 3, 1}, {0, 0, -1, 0}},
        // Only the normal is rescaled: a long normal puts the cap off its plane.
        {"normal of length 2", {2, 0, 0, -10}, {10, 5, 5, 1}, {1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TriangleConstants constants;
        detail::ComputeCapConstants(constants, c.plane, box, {}, {}, {});
        const Vec4 centre = Apply(constants.unit_plane_matrix, {0, 0, 0, 1});
        const Vec4 normal = Apply(constants.unit_plane_matrix, {0, 0, 1, 0});
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_NEAR(centre[i], c.centre[i], 1e-5f);
            EXPECT_NEAR(normal[i], c.normal[i], 1e-6f);
        }
        if (c.plane.a == 2) continue;
        for (const VertexPN& v : detail::CapQuadVertices(box)) {
            const Vec4 p = Apply(constants.unit_plane_matrix, {v.position[0], v.position[1], 0, 1});
            EXPECT_NEAR(c.plane.a * p[0] + c.plane.b * p[1] + c.plane.c * p[2] + c.plane.d, 0.0f, 1e-4f);
        }
    }
}

// The count keeps the side of its plane away from the eye: a plane that
// keeps the eye's side (the eye at z = 5, or at infinity toward +z) is turned.
TEST(CapPlacementTest, CountPlaneFacesAwayFromTheEye) {
    KxTransformMatrix eyeAtZ5;
    eyeAtZ5.MakeTranslation({0, 0, -5});
    const KxTransformMatrix perspective({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, -2, 0, 0, -1, 0});
    const KxTransformMatrix orthographic({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1});
    const struct { const char* name; KxTransformMatrix view, projection; ClipPlane plane; Float4 expected; } cases[] = {
        {"perspective, eye kept", eyeAtZ5, perspective, {0, 0, 1, -1}, {0, 0, -1, 1}},
        {"perspective, eye cut", eyeAtZ5, perspective, {0, 0, -1, 1}, {0, 0, -1, 1}},
        {"orthographic, eye kept", {}, orthographic, {0, 0, 1, 0}, {0, 0, -1, 0}},
        {"orthographic, eye cut", {}, orthographic, {0, 0, -1, 0}, {0, 0, -1, 0}},
        {"orthographic, seen edge-on", {}, orthographic, {1, 0, 0, -1}, {1, 0, 0, -1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(detail::PlaneFacingAwayFromEye(c.plane, c.view, c.projection), c.expected) << c.name;
}

// A square of side four box diagonals, facing -z, in two triangles.
TEST(CapPlacementTest, QuadSideIsFourBoxDiagonals) {
    const struct { boundingbox<float, 3> box; float half; } cases[] = {
        {{{0, 0, 0}, {3, 4, 0}}, 10},      // diagonal 5
        {{{1, 1, 1}, {3, 4, 7}}, 14},      // diagonal 7 of 2, 3, 6
        {{{0, 0, 0}, {3e-30f, 4e-30f, 0}}, 1e-29f},  // squares below the float range
    };
    for (const auto& c : cases) {
        const std::array<VertexPN, 6> quad = detail::CapQuadVertices(c.box);
        const float s = c.half;
        const float expected[6][2] = {{-s, -s}, {s, s}, {s, -s}, {-s, -s}, {-s, s}, {s, s}};
        for (std::size_t i = 0; i < quad.size(); ++i) {
            EXPECT_FLOAT_EQ(quad[i].position[0], expected[i][0]) << s << " vertex " << i;
            EXPECT_FLOAT_EQ(quad[i].position[1], expected[i][1]) << s << " vertex " << i;
            EXPECT_EQ(quad[i].position[2], 0.0f);
            EXPECT_EQ(quad[i].normal[2], -1.0f);
        }
    }
}

// The fitted quad's corners: the rectangle around where the plane cuts the
// box, a thousandth larger; nothing where the plane misses it.
TEST(CapPlacementTest, FittedQuadSpansTheCutThroughTheBox) {
    const boundingbox<float, 3> box{{0, 0, 0}, {10, 10, 10}};
    const struct { const char* name; ClipPlane plane; std::array<float, 2> halfSides; } cases[] = {
        {"x = 5: the whole face", {1, 0, 0, -5}, {5.005f, 5.005f}},
        {"z = 2", {0, 0, 1, -2}, {5.005f, 5.005f}},
        // Cutting the box from (0, 10, z) to (10, 2.5, z); the quad's axes,
        // turned a quarter about (-0.8, 0.6, 0), are (0.64, -0.48, -0.6) and
        // (-0.48, 0.36, -0.8), and the cut's corners lie at most 8 and 7.75
        // along them from the centre (5, 6.25, 5).
        {"oblique", {0.6f, 0.8f, 0, -8}, {8.008f, 7.75775f}},
        {"missing the box", {1, 0, 0, 20}, {0, 0}},
    };
    const VertexPN corner = detail::CapQuadVertices(box)[1];
    for (const auto& c : cases) {
        TriangleConstants constants;
        detail::ComputeCapConstants(constants, c.plane, box, {}, {}, {});
        detail::FitCapToBox(constants, box);
        const Vec4 offset = Apply(constants.unit_plane_matrix, {corner.position[0], corner.position[1], 0, 0});
        for (std::size_t axis = 0; axis < 2; ++axis) {
            Vec4 unit{};
            unit[axis] = 1;
            const Vec4 a = Apply(constants.unit_plane_matrix, unit);
            const float length = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
            const float dot = offset[0] * a[0] + offset[1] * a[1] + offset[2] * a[2];
            EXPECT_NEAR(length == 0 ? 0 : std::abs(dot) / length, c.halfSides[axis], 1e-3f) << c.name << " " << axis;
        }
    }
}

// The model-space plane holds the points whose world images the world plane
// holds: x = 5 in the world is x = 4 in a model moved by (1, 2, 3); a model
// turned a quarter about z sees the world's y = 1 as its x = 1.
TEST(CapPlacementTest, WorldPlaneBecomesTheModelPlaneOfTheSamePoints) {
    KxTransformMatrix model;
    model.MakeTranslation({1, 2, 3});
    EXPECT_EQ(detail::PlaneToModel(model, {1, 0, 0, -5}), (Float4{1, 0, 0, -4}));
    model.MakeRotation({0, 0, 0}, {0, 0, 1}, std::acos(0.0));
    const Float4 turned = detail::PlaneToModel(model, {0, 1, 0, -1});
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(turned[i], (Float4{1, 0, 0, -1})[i], 1e-6) << i;
}

}  // namespace
}  // namespace Korvex::Rendering::test_support
