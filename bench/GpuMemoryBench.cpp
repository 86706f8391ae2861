// GPU memory of the drawn data, from the sizes of the buffers the builder
// and the voxel mesh create, against the bytes the host handed over. Not a
// timing: one iteration that reports counters.

#include "GeometryAnalysis.h"
#include "Registration.h"
#include "Scenes.h"

#include <RecordingDevice.h>

#include <benchmark/benchmark.h>

#include <string>

namespace Korvex::Rendering::bench {

namespace {

constexpr std::size_t kLineCount = 100000;
constexpr std::uint32_t kVoxelCells = 100;

void SetCounters(benchmark::State& state, double elements, double gpuBytes, double inputBytes) {
    state.counters["elements"] = elements;
    state.counters["gpu_bytes_per_element"] = gpuBytes / elements;
    state.counters["input_bytes_per_element"] = inputBytes / elements;
}

void BuiltPrimitives(benchmark::State& state, const std::vector<VertexPN>& vertices,
                     std::uint32_t verticesPerPrimitive) {
    BuiltGeometry built;
    for (auto _ : state) built = AnalyzeBuild(vertices, verticesPerPrimitive, BuildPath::Public);
    SetCounters(state, static_cast<double>(built.primitives), static_cast<double>(built.vertexBytes + built.indexBytes),
                static_cast<double>(vertices.size() * sizeof(VertexPN)));
    state.counters["index_bytes_per_element"] = static_cast<double>(built.indexBytes) /
                                                static_cast<double>(built.primitives);
}

void Triangles(benchmark::State& state) { BuiltPrimitives(state, MillionTriangleSphere(), 3); }
void Lines(benchmark::State& state) { BuiltPrimitives(state, LatticeLines(kLineCount), 2); }

void Voxels(benchmark::State& state) {
    const std::vector<std::uint32_t> voxels = VoxelBlock(kVoxelCells);
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        RecordingDevice device;
        const std::unique_ptr<IVoxelGridMesh> mesh = CreateVoxelGridMesh(device);
        device.ClearCalls();
        mesh->SetVoxels(voxels);
        bytes = 0;
        for (const RecordedCall& call : device.Calls())
            if (call.operation == "CreateBuffer") bytes += call.As<BufferDesc>().size;
    }
    SetCounters(state, static_cast<double>(voxels.size()), static_cast<double>(bytes),
                static_cast<double>(voxels.size() * sizeof(std::uint32_t)));
}

}  // namespace

void RegisterGpuMemoryBenchmarks() {
    benchmark::RegisterBenchmark("GpuMemory/triangles/1M_sphere", Triangles)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("GpuMemory/lines/100k_lattice", Lines)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("GpuMemory/voxels/1M_block", Voxels)->Iterations(1)->Unit(benchmark::kMillisecond);
}

}  // namespace Korvex::Rendering::bench
