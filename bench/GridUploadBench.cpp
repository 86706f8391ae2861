// Grid uploads to the GL device against memcpy of the same bytes: the
// staging image, the row copies, the range pass and the GPU copy together.

#include "GlBench.h"
#include "Registration.h"
#include "Scenes.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace Korvex::Rendering::bench {

namespace {

constexpr std::size_t kScalarSamples = 256;
constexpr std::size_t kVectorSamples = 128;

std::size_t Cube(std::size_t n) { return n * n * n; }

void SetValues(benchmark::State& state) {
    const std::vector<float> values = ScalarField(kScalarSamples);
    const std::unique_ptr<IScalarGrid> grid = CreateScalarGrid(*Gl());
    // The first upload also creates the GPU image; later ones reuse it.
    grid->SetValues(kScalarSamples, kScalarSamples, kScalarSamples, values);
    FinishGl();
    for (auto _ : state) {
        grid->SetValues(kScalarSamples, kScalarSamples, kScalarSamples, values);
        FinishGl();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * values.size() * sizeof(float)));
}

void SetVectors(benchmark::State& state) {
    const std::vector<Vector3f> vectors = VectorField(kVectorSamples);
    const std::unique_ptr<IVectorGrid> grid = CreateVectorGrid(*Gl());
    grid->SetVectors(kVectorSamples, kVectorSamples, kVectorSamples, vectors);
    FinishGl();
    for (auto _ : state) {
        grid->SetVectors(kVectorSamples, kVectorSamples, kVectorSamples, vectors);
        FinishGl();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * vectors.size() * sizeof(Vector3f)));
}

void Memcpy(benchmark::State& state, std::size_t bytes) {
    // Both sides written once, so that no page is first touched while timed.
    const std::vector<unsigned char> source(bytes, 1);
    std::vector<unsigned char> destination(bytes, 0);
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), bytes);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

}  // namespace

void RegisterGridUploadBenchmarks() {
    const std::string scalarName = "/" + std::to_string(kScalarSamples) + "^3_floats";
    const std::string vectorName = "/" + std::to_string(kVectorSamples) + "^3_vectors";
    benchmark::RegisterBenchmark(("GridUpload/SetValues" + scalarName).c_str(), SetValues)
        ->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("GridUpload/memcpy" + scalarName).c_str(), Memcpy,
                                 Cube(kScalarSamples) * sizeof(float))
        ->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("GridUpload/SetVectors" + vectorName).c_str(), SetVectors)
        ->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("GridUpload/memcpy" + vectorName).c_str(), Memcpy,
                                 Cube(kVectorSamples) * sizeof(Vector3f))
        ->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);
}

}  // namespace Korvex::Rendering::bench
