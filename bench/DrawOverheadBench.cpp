// CPU cost and heap allocations of a Draw whose program and pipeline state
// are already cached, on a device that records nothing: what the library
// itself spends per mesh and frame.

#include <AllocationCounter.h>
#include "Registration.h"
#include "Scenes.h"

#include <RecordingDevice.h>
#include <RenderPasses.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

namespace Korvex::Rendering::bench {

namespace {

constexpr std::uint32_t kTargetWidth = 1920;
constexpr std::uint32_t kTargetHeight = 1080;
constexpr std::size_t kGridSamples = 8;

// A recording device with a frame's targets and the host's cache.
struct RecordingFrame {
    RecordingFrame() {
        const auto target = [&](std::uint32_t format, std::uint32_t usage) {
            return device.CreateImage({kTargetWidth, kTargetHeight, 0, format, 1, 1, usage | kImageUsageSampled});
        };
        targets.color = target(kFormatRgba8Unorm, kImageUsageColorTarget);
        targets.probeValue = target(kFormatR32Float, kImageUsageColorTarget);
        targets.probeDepth = target(kFormatR32Float, kImageUsageColorTarget);
        targets.depthStencil = target(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
    }

    RecordingDevice device;
    FrameTargets targets;
    ResourceCache cache;
};

void CachedDraw(benchmark::State& state, MeshKind kind, Look look) {
    RecordingFrame frame;
    const GridInputs grids = MakeGrids(frame.device, kGridSamples);
    const std::unique_ptr<IRenderable> mesh =
        MakeSmallMesh(frame.device, kind, look, grids, ViewOfUnitBox(kTargetWidth, kTargetHeight));
    const std::optional<PassKind> passKind = PassForTechnique(mesh->GetTechnique());
    if (!passKind) {
        state.SkipWithError("no pass for the mesh's technique");
        return;
    }
    const RenderPassDesc pass = MakeRenderPass(frame.targets, *passKind);
    mesh->Draw(nullptr, pass, frame.cache, nullptr);  // fills the cache

    frame.device.ClearCalls();
    mesh->Draw(nullptr, pass, frame.cache, nullptr);
    const std::size_t binds = frame.device.CountOf("BindDrawCall");
    if (binds == 0 || frame.device.CountOf("CreateProgram") != 0 || frame.device.CountOf("CreatePipelineState") != 0) {
        state.SkipWithError("the second draw did not hit the cache, or drew nothing");
        return;
    }
    frame.device.SetRecording(false);

    const std::size_t allocationsBefore = test_support::AllocationCount();
    for (auto _ : state) mesh->Draw(nullptr, pass, frame.cache, nullptr);
    const std::size_t allocations = test_support::AllocationCount() - allocationsBefore;

    state.counters["allocations_per_draw"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
    state.counters["binds_per_draw"] = static_cast<double>(binds);
}

}  // namespace

void RegisterDrawOverheadBenchmarks() {
    struct Case {
        const char* name;
        MeshKind kind;
        Look look;
    };
    const Case cases[] = {
        {"line/plain", MeshKind::Line, Look::Plain},
        {"line/deformed", MeshKind::Line, Look::Deformed},
        {"triangle/plain", MeshKind::Triangle, Look::Plain},
        {"triangle/deformed", MeshKind::Triangle, Look::Deformed},
        {"triangle/capped_2_planes", MeshKind::Triangle, Look::Capped},
        {"voxel/plain", MeshKind::Voxel, Look::Plain},
        {"voxel/wireframe", MeshKind::Voxel, Look::Wireframe},
    };
    for (const Case& c : cases)
        benchmark::RegisterBenchmark((std::string("DrawOverhead/") + c.name).c_str(), CachedDraw, c.kind, c.look)
            ->Unit(benchmark::kNanosecond)
            ->MinTime(0.3);
}

}  // namespace Korvex::Rendering::bench
