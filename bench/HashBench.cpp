// The two hashes on hot paths, alone: the pipeline-state key that every
// cached draw computes, and the vertex hash the builder computes for every
// input vertex. They show how much of a draw and of a build is hashing.

#include "Registration.h"
#include "Scenes.h"

#include "core/CacheKey.h"
#include "meshes/triangle/VertexPNHash.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace Korvex::Rendering::bench {

namespace {

void PipelineKeyOfState(benchmark::State& state) {
    PipelineStateDesc desc{};
    const std::uint64_t programKey = 0x1234;
    for (auto _ : state) {
        benchmark::DoNotOptimize(desc);
        benchmark::DoNotOptimize(detail::PipelineKey(programKey, desc));
    }
}

void VertexHashOfSoup(benchmark::State& state) {
    const std::vector<VertexPN>& soup = MillionTriangleSphere();
    const detail::VertexHash<VertexPN> hash;
    for (auto _ : state) {
        std::size_t combined = 0;
        for (const VertexPN& vertex : soup) combined ^= hash(vertex);
        benchmark::DoNotOptimize(combined);
    }
    state.counters["vertices"] = static_cast<double>(soup.size());
}

}  // namespace

void RegisterHashBenchmarks() {
    benchmark::RegisterBenchmark("DrawOverhead/part/pipeline_key", PipelineKeyOfState)
        ->Unit(benchmark::kNanosecond)
        ->MinTime(0.3);
    benchmark::RegisterBenchmark("GeometryBuild/part/vertex_hash_x3M", VertexHashOfSoup)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace Korvex::Rendering::bench
