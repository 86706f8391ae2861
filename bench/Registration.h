#pragma once

// Each topic registers its benchmarks; main calls these once the GL device
// is open (or known to be missing), so that GL benchmarks can be left out.

namespace Korvex::Rendering::bench {

void RegisterGeometryBuildBenchmarks();
void RegisterDrawOverheadBenchmarks();
void RegisterGpuMemoryBenchmarks();
void RegisterHashBenchmarks();
void RegisterCellMeshBenchmarks();
// These need the GL device.
void RegisterGridUploadBenchmarks();
void RegisterFrameBenchmarks();
void RegisterProgramCreationBenchmarks();
void RegisterViewerFrameBenchmarks();

}  // namespace Korvex::Rendering::bench
