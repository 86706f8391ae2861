// The capped sequence on the recording device: caps to depth, the stencil
// count, the caps where the surface encloses them, then the clipped surface.

#include "TriangleScene.h"

#include <gmock/gmock.h>

namespace Korvex::Rendering::test_support {
namespace {

using ::testing::ElementsAre;

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

const Shape kClearAll{"ClearDepthStencil"};
const Shape kClearDepth{"ClearDepth"};
Shape Cap(std::uint64_t otherPlanes, bool probes = false) {
    return {"Draw", ProgramKey({otherPlanes, false, true, probes, probes}), true};
}
Shape Surface(std::uint64_t planes, bool probes = false, bool deform = false) {
    return {"Draw", ProgramKey({planes, deform, false, probes, probes}), false};
}

class TriangleCappingTest : public TriangleScene {
protected:
    void SetUp() override { Attach(true); }

    std::vector<Shape> Shapes(const std::vector<RecordedPass>& passes) const {
        std::vector<Shape> shapes;
        for (const RecordedPass& p : passes) shapes.push_back({p.operation, p.programKey, p.vertexBuffer == quadVertices});
        return shapes;
    }
};

TEST_F(TriangleCappingTest, TwoPlanesDrawCapsCountCapsAgainThenTheClippedSurface) {
    mesh.SetClipPlanes(PlanesAcrossX(2));

    const std::vector<RecordedPass> passes = DrawPasses();

    EXPECT_THAT(Shapes(passes), ElementsAre(kClearAll, Cap(1), Cap(1), Surface(0), kClearDepth, Cap(1, true),
                                            Cap(1, true), Surface(2, true)));
    EXPECT_EQ(device.CountOf("CreateProgram"), 4u);
    EXPECT_EQ(device.CountOf("CreatePipelineState"), 4u) << "first caps, count, second caps, surface";
    const std::string targets = IdText(color) + "," + IdText(depthStencil) + ",1";
    EXPECT_EQ(First("ClearDepthStencil").arguments, targets + ",0");
    EXPECT_EQ(First("ClearDepth").arguments, targets);
    for (const RecordedPass& p : passes) {
        if (p.operation != "Draw") continue;
        const bool probes = !p.drawCall.targets[kTargetProbeValue].IsNull();
        EXPECT_EQ(p.drawCall.targets[kTargetProbeDepth].IsNull(), !probes);
        EXPECT_EQ(p.state.targetFormats[kTargetProbeValue], probes ? kFormatR32Float : 0u);
        EXPECT_EQ(p.drawCall.targets[kTargetColor], color);
        EXPECT_EQ(p.drawCall.targets[kTargetDepthStencil], depthStencil);
    }
}

// Each cap is clipped by the other planes: its copy of the constants holds
// them moved down over its own, and the surface passes the mesh's own.
TEST_F(TriangleCappingTest, EachCapIsClippedByTheOtherPlanes) {
    constexpr std::size_t kZero = 99;
    struct Case {
        std::size_t planeCount, cappedPlane;
        std::array<std::size_t, 8> slots;  // mesh planes in the copy's slots; kZero: all zero
    };
    const Case cases[] = {
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
        ASSERT_EQ(passes.size(), 2 * c.planeCount + 4);
        for (const std::size_t first : {std::size_t{1}, c.planeCount + 3}) {
            const TriangleConstants& cap = passes[first + c.cappedPlane].constants;
            for (std::size_t slot = 0; slot < 8; ++slot) {
                const ClipPlane p = c.slots[slot] == kZero ? ClipPlane{} : planes[c.slots[slot]];
                EXPECT_EQ(cap.clip_planes[slot], (detail::Float4{p.a, p.b, p.c, p.d}))
                    << c.planeCount << " planes, cap " << c.cappedPlane << ", slot " << slot;
            }
        }
        for (const std::size_t surface : {c.planeCount + 1, 2 * c.planeCount + 3})
            EXPECT_EQ(std::memcmp(&passes[surface].constants, &mesh.Constants(), sizeof(TriangleConstants)), 0);
    }
}

// Caps need capping on, a plane, and |deformation| below 1e-4.
TEST_F(TriangleCappingTest, OtherwiseOnePassTakesAllPlanes) {
    struct Case {
        const char* name;
        bool capping;
        bool vectorGrid;
        float deformation;
        std::vector<Shape> shapes;
    };
    const std::vector<Shape> capped{kClearAll,  Cap(2),         Cap(2),         Cap(2),        Surface(0),
                                    kClearDepth, Cap(2, true), Cap(2, true), Cap(2, true), Surface(3, true)};
    const Case cases[] = {
        {"capping off", false, true, 0.0f, {Surface(3, true)}},
        {"deformed", true, true, -0.5f, {Surface(3, true, true)}},
        {"deformation without a vector grid", true, false, 0.5f, {Surface(3, true)}},
        {"deformation at the threshold", true, true, 0.0001f, {Surface(3, true)}},
        {"deformation at minus the threshold", true, true, -0.0001f, {Surface(3, true)}},
        {"deformation just below the threshold", true, true, 0.0000999f, capped},
    };
    for (const Case& c : cases) {
        Attach(c.vectorGrid);
        mesh.SetClipPlanes(PlanesAcrossX(3));
        mesh.SetCapping(c.capping);
        mesh.SetDeformation(c.deformation);
        EXPECT_EQ(Shapes(DrawPasses()), c.shapes) << c.name;
    }
}

}  // namespace
}  // namespace Korvex::Rendering::test_support
