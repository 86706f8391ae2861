// What a program-cache miss costs on the GL device: specialising a variant's
// templates, translating and linking them; and a mesh's first draw with a
// fresh cache, which adds the pipeline state and the driver's compilation
// at first use.

#include "GlBench.h"
#include "Registration.h"
#include "Scenes.h"

#include "meshes/line/LineGridMesh.h"
#include "meshes/triangle/TriangleProgram.h"
#include "meshes/voxel/VoxelProgram.h"

#include <OffscreenFrame.h>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace Korvex::Rendering::bench {

namespace {

constexpr std::uint32_t kFirstDrawTargetSize = 256;
constexpr std::size_t kGridSamples = 8;

using BuildSources = std::function<ShaderStageSources()>;

void CreateProgram(benchmark::State& state, const BuildSources& build) {
    GlDevice& gl = *Gl();
    for (auto _ : state) {
        const ProgramId program = gl.CreateProgram(build());
        state.PauseTiming();
        if (program.IsNull()) {
            state.SkipWithError(("link failed: " + gl.LastProgramLog()).c_str());
            state.ResumeTiming();
            break;
        }
        gl.DestroyProgram(program);
        state.ResumeTiming();
    }
}

BuildSources Line(bool deform) {
    return [deform] {
        LineGridMesh::ProgramKey key;
        key.deform = deform;
        key.probeValue = key.probePosition = true;
        return key.BuildSources();
    };
}
BuildSources Triangle(bool deform, bool cap) {
    return [deform, cap] {
        detail::TriangleProgramVariant variant;
        variant.deform = deform;
        variant.drawingPlane = cap;
        variant.planeCount = cap ? 1 : 0;
        variant.probeValue = variant.probePosition = true;
        return detail::TriangleProgramSources(variant);
    };
}
BuildSources Voxel(bool deform, bool wireframe) {
    return [deform, wireframe] {
        detail::VoxelProgramVariant variant;
        variant.deform = deform;
        variant.wireframe = wireframe;
        variant.probeValue = variant.probePosition = true;
        return detail::VoxelProgramSources(variant);
    };
}

// Each draw gets a cache of its own, so it compiles its program and creates
// its pipeline state; the cache is released untimed.
void FirstDraw(benchmark::State& state, MeshKind kind) {
    GlDevice& gl = *Gl();
    std::string error;
    const std::unique_ptr<OffscreenFrame> frame =
        OffscreenFrame::Create(gl, {kFirstDrawTargetSize, kFirstDrawTargetSize, true, {0.0f, 0.0f, 0.0f, 1.0f}}, &error);
    if (!frame) {
        state.SkipWithError(error.c_str());
        return;
    }
    const GridInputs grids = MakeGrids(gl, kGridSamples);
    const std::unique_ptr<IRenderable> mesh =
        MakeSmallMesh(gl, kind, Look::Plain, grids, ViewOfUnitBox(kFirstDrawTargetSize, kFirstDrawTargetSize));
    const RenderPassDesc& pass = frame->Pass(PassKind::Opaque);
    for (auto _ : state) {
        ResourceCache cache;
        mesh->Draw(nullptr, pass, cache, nullptr);
        FinishGl();
        state.PauseTiming();
        cache.pipelineStates.clear();
        cache.programs.clear();
        state.ResumeTiming();
    }
}

}  // namespace

void RegisterProgramCreationBenchmarks() {
    const std::pair<const char*, BuildSources> variants[] = {
        {"line/plain", Line(false)},
        {"line/deformed", Line(true)},
        {"triangle/flat", Triangle(false, false)},
        {"triangle/deformed", Triangle(true, false)},
        {"triangle/cap", Triangle(false, true)},
        {"voxel/plain", Voxel(false, false)},
        {"voxel/wireframe", Voxel(false, true)},
        {"voxel/deformed", Voxel(true, false)},
    };
    for (const auto& [name, build] : variants)
        benchmark::RegisterBenchmark((std::string("ProgramCreation/") + name).c_str(), CreateProgram, build)
            ->Iterations(10)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);

    const std::pair<const char*, MeshKind> meshes[] = {
        {"line", MeshKind::Line}, {"triangle", MeshKind::Triangle}, {"voxel", MeshKind::Voxel}};
    for (const auto& [name, kind] : meshes)
        benchmark::RegisterBenchmark((std::string("ProgramCreation/first_draw/") + name).c_str(), FirstDraw, kind)
            ->Iterations(5)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
}

}  // namespace Korvex::Rendering::bench
