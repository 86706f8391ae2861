// korvex-view's frames at 1024 x 768 on the GL device, without the window:
// a turn redraws the scene (the camera moved a degree), probes the cursor's
// pixel and composes a full-size overlay over it; a cursor move only
// probes and composes. The text the viewer rasterises into its overlay and
// the window's swap are left out.

#include "GlBench.h"
#include "Registration.h"
#include "Scenes.h"

#include <Camera.h>
#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <OffscreenFrame.h>
#include <PictureCompositor.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

namespace Korvex::Rendering::bench {

namespace {

constexpr std::uint32_t kWidth = 1024;
constexpr std::uint32_t kHeight = 768;
constexpr std::size_t kGridSamples = 64;

// The camera a degree further round the unit box each frame.
CameraMatrices TurnedView(int frame) {
    const double angle = frame * std::numbers::pi / 180.0;
    const KxVector3d centre{0.5, 0.5, 0.5};
    const KxVector3d eye{centre.x + 2.6 * std::cos(angle), centre.y + 1.1, centre.z + 2.6 * std::sin(angle)};
    return {MakeLookAt(eye, centre, {0.0, 1.0, 0.0}),
            MakePerspective(std::numbers::pi / 4.0, double(kWidth) / kHeight, 0.1, 10.0)};
}

void ViewerFrame(benchmark::State& state, bool turning) {
    GlDevice& gl = *Gl();
    std::string error;
    const auto frame = OffscreenFrame::Create(gl, {kWidth, kHeight, true, {1.0f, 1.0f, 1.0f, 1.0f}}, &error);
    const auto compositor = PictureCompositor::Create(gl, kWidth, kHeight, &error);
    if (!frame || !compositor) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::unique_ptr<ITriangleGridMesh> mesh =
        MakeSurface(gl, BuildTriangleGeometry(gl, MillionTriangleSphere(), kUnitBox), MakeGrids(gl, kGridSamples),
                    Look::Plain, TurnedView(0));
    IRenderable* drawn[] = {mesh.get()};
    const std::vector<std::uint8_t> overlay(std::size_t{kWidth} * kHeight * 4, 0);
    const auto show = [&](int turn) {
        if (turning) {
            const CameraMatrices camera = TurnedView(turn);
            mesh->SetViewProjection(camera.view, camera.projection);
            frame->Clear();
            frame->Draw(drawn);
        }
        benchmark::DoNotOptimize(frame->ReadProbeAt(kWidth / 2, kHeight / 2));
        compositor->SetOverlay(overlay);
        compositor->Compose(frame->Targets().color);
        FinishGl();
    };
    show(0);  // compiles the programs
    int turn = 1;
    for (auto _ : state) show(turn++);
}

}  // namespace

void RegisterViewerFrameBenchmarks() {
    for (const auto& [name, turning] : {std::pair{"ViewerFrame/turn/1M_triangles", true},
                                        std::pair{"ViewerFrame/cursor_move/1M_triangles", false}})
        benchmark::RegisterBenchmark(name, ViewerFrame, turning)
            ->Iterations(10)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
}

}  // namespace Korvex::Rendering::bench
