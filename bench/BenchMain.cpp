// Opens the GL device before any benchmark runs and names its renderer in
// the output's context, so that every result says what it ran on.

#include "GlBench.h"
#include "Registration.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    using namespace Korvex::Rendering::bench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    std::string error;
    const bool haveGl = OpenGl(&error);
    benchmark::AddCustomContext("gl_renderer", haveGl ? Gl()->Renderer() : "none: " + error);
    if (haveGl) benchmark::AddCustomContext("gl_platform", Gl()->Platform());
    else std::cerr << "GL benchmarks left out: " << error << '\n';

    RegisterGeometryBuildBenchmarks();
    RegisterDrawOverheadBenchmarks();
    RegisterGpuMemoryBenchmarks();
    RegisterHashBenchmarks();
    RegisterCellMeshBenchmarks();
    if (haveGl) {
        RegisterGridUploadBenchmarks();
        RegisterFrameBenchmarks();
        RegisterProgramCreationBenchmarks();
        RegisterViewerFrameBenchmarks();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CloseGl();
    return 0;
}
