// Whole frames on the GL device at 1920 x 1080: clear, draw, and wait for
// the device. The first frame, which compiles the programs, is not timed.

#include "GlBench.h"
#include "Registration.h"
#include "Scenes.h"

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <OffscreenFrame.h>
#include <VisibleVoxels.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Korvex::Rendering::bench {

namespace {

constexpr std::uint32_t kWidth = 1920;
constexpr std::uint32_t kHeight = 1080;
constexpr std::size_t kGridSamples = 64;
constexpr std::uint32_t kVoxelCells = 100;  // 1,000,000 voxels
constexpr std::size_t kLineCount = 100000;

// What a frame draws; no mesh for an empty frame.
using MakeScene = std::function<std::unique_ptr<IRenderable>(GlDevice&, const CameraMatrices&)>;

// Share of the colour target that is not background.
double Coverage(const OffscreenFrame& frame) {
    const std::vector<std::uint8_t> rgba = frame.ReadColor();
    std::size_t covered = 0;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        covered += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0 ? 1 : 0;
    return rgba.empty() ? 0.0 : static_cast<double>(covered) / static_cast<double>(rgba.size() / 4);
}

void Frame(benchmark::State& state, const std::string& name, const MakeScene& make) {
    GlDevice& gl = *Gl();
    std::string error;
    const std::unique_ptr<OffscreenFrame> frame = OffscreenFrame::Create(gl, {kWidth, kHeight, true, {0.0f, 0.0f, 0.0f, 1.0f}}, &error);
    if (!frame) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::unique_ptr<IRenderable> mesh = make(gl, ViewOfUnitBox(kWidth, kHeight));
    std::vector<IRenderable*> drawn;
    if (mesh) drawn.push_back(mesh.get());

    gl.ClearDiagnostics();
    frame->Clear();
    frame->Draw(drawn);
    FinishGl();
    for (const std::string& message : gl.Diagnostics()) std::cerr << name << ": " << message << '\n';

    for (auto _ : state) {
        frame->Clear();
        frame->Draw(drawn);
        FinishGl();
    }
    state.counters["coverage"] = Coverage(*frame);
    state.counters["gl_diagnostics"] = static_cast<double>(gl.Diagnostics().size());
}

MakeScene Surface(Look look) {
    return [look](GlDevice& gl, const CameraMatrices& camera) -> std::unique_ptr<IRenderable> {
        return MakeSurface(gl, BuildTriangleGeometry(gl, MillionTriangleSphere(), kUnitBox),
                           MakeGrids(gl, kGridSamples), look, camera);
    };
}
// The plane others publish figures for, built from indexed data, seen
// straight on. Its values run from 0.125 to 1.625; the range shown leaves
// the lowest and the highest parts in the underflow and overflow colours.
MakeScene Plane(Look look) {
    return [look](GlDevice& gl, const CameraMatrices&) -> std::unique_ptr<IRenderable> {
        const IndexedSurface& plane = MillionTrianglePlane();
        std::unique_ptr<ITriangleGridMesh> mesh =
            MakeSurface(gl, BuildTriangleGeometry(gl, plane.positions, plane.normals, plane.indices, kUnitBox),
                        MakeGrids(gl, kGridSamples), look, ViewOfPlane(kWidth, kHeight));
        mesh->SetValueRange(0.4f, 1.35f);
        return mesh;
    };
}
// A host draws the voxels that can be seen (VisibleVoxels, as korvex-render
// does): of the block, its shell. Packed order puts the cells nearest this
// camera last: drawn back to front, every face that survives culling is
// shaded. Reversed, depth testing rejects most of them.
enum class VoxelList { Visible, VisibleFrontToBack, Whole };
MakeScene Voxels(Look look, VoxelList list = VoxelList::Visible) {
    return [look, list](GlDevice& gl, const CameraMatrices& camera) -> std::unique_ptr<IRenderable> {
        std::vector<std::uint32_t> voxels = VoxelBlock(kVoxelCells);
        if (list != VoxelList::Whole) {
            Fields::VoxelPlacement placement;
            placement.samples = {kVoxelCells + 1, kVoxelCells + 1, kVoxelCells + 1};
            placement.box = kUnitBox;
            voxels = Fields::VisibleVoxels(voxels, placement, {});
        }
        if (list == VoxelList::VisibleFrontToBack) std::reverse(voxels.begin(), voxels.end());
        return MakeVoxels(gl, voxels, MakeGrids(gl, kVoxelCells + 1), look, camera);
    };
}
MakeScene Lines(Look look) {
    return [look](GlDevice& gl, const CameraMatrices& camera) -> std::unique_ptr<IRenderable> {
        return MakeLines(gl, BuildLineGeometry(gl, LatticeLines(kLineCount), kUnitBox), MakeGrids(gl, kGridSamples),
                         look, camera);
    };
}

}  // namespace

void RegisterFrameBenchmarks() {
    const std::pair<const char*, MakeScene> cases[] = {
        {"clear_only", [](GlDevice&, const CameraMatrices&) { return std::unique_ptr<IRenderable>(); }},
        {"surface_flat/1M_triangles", Surface(Look::Plain)},
        {"surface_deformed/1M_triangles", Surface(Look::Deformed)},
        {"surface_capped_2_planes/1M_triangles", Surface(Look::Capped)},
        {"plane/1M_triangles", Plane(Look::Plain)},
        {"plane_3_clip_planes/1M_triangles", Plane(Look::ClippedThrice)},
        {"voxels/1M", Voxels(Look::Plain)},
        {"voxels_front_to_back/1M", Voxels(Look::Plain, VoxelList::VisibleFrontToBack)},
        {"voxels_wireframe/1M", Voxels(Look::Wireframe)},
        {"voxels_whole_list/1M", Voxels(Look::Plain, VoxelList::Whole)},
        {"lines/100k", Lines(Look::Plain)},
        {"lines_deformed/100k", Lines(Look::Deformed)},
    };
    for (const auto& [caseName, make] : cases) {
        const std::string name = std::string("Frame/") + caseName;
        benchmark::RegisterBenchmark(name.c_str(), Frame, name, make)
            ->Iterations(3)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace Korvex::Rendering::bench
