// The library's geometry builder against meshoptimizer's own pipeline on the
// same million-triangle soup, in grid order and shuffled.

#include "GeometryAnalysis.h"
#include "GlBench.h"
#include "Registration.h"
#include "Scenes.h"

#include "meshes/triangle/IndexedVertexContainerBuilder.h"

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <RecordingDevice.h>

#include <benchmark/benchmark.h>
#include <meshoptimizer.h>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>

namespace Korvex::Rendering::bench {

namespace {

enum class InputOrder { Grid, Shuffled };

const std::vector<VertexPN>& Input(InputOrder order) {
    if (order == InputOrder::Grid) return MillionTriangleSphere();
    static const std::vector<VertexPN> shuffled = ShuffledTriangles(MillionTriangleSphere());
    return shuffled;
}

double TriangleCount(const std::vector<VertexPN>& soup) { return static_cast<double>(soup.size() / 3); }

void SetCounters(benchmark::State& state, const std::vector<VertexPN>& soup, double acmrBefore, double acmrAfter,
                 std::size_t drawCalls, double gpuBytes) {
    state.counters["triangles"] = TriangleCount(soup);
    state.counters["acmr_before"] = acmrBefore;
    state.counters["acmr_after"] = acmrAfter;
    state.counters["draw_calls"] = static_cast<double>(drawCalls);
    state.counters["bytes_per_triangle"] = gpuBytes / TriangleCount(soup);
}

// The builder's output measured once per input, with and without reordering.
struct BuilderAnalysis {
    BuiltGeometry reordered;
    BuiltGeometry inInputOrder;
};
const BuilderAnalysis& AnalyzedBuilder(InputOrder order) {
    static std::map<InputOrder, BuilderAnalysis> analyses;
    auto found = analyses.find(order);
    if (found == analyses.end()) {
        const std::vector<VertexPN>& soup = Input(order);
        found = analyses
                    .emplace(order, BuilderAnalysis{AnalyzeBuild(soup, 3, BuildPath::Public),
                                                    AnalyzeBuild(soup, 3, BuildPath::BuilderInInputOrder)})
                    .first;
    }
    return found->second;
}

void SetBuilderCounters(benchmark::State& state, InputOrder order, bool reorder) {
    const BuilderAnalysis& analysis = AnalyzedBuilder(order);
    const BuiltGeometry& built = reorder ? analysis.reordered : analysis.inInputOrder;
    SetCounters(state, Input(order), analysis.inInputOrder.acmr, built.acmr, built.drawCalls,
                static_cast<double>(built.vertexBytes + built.indexBytes));
}

// The public entry point, uploading to the GL device; the buffers are
// released outside the timing.
void BuilderToGl(benchmark::State& state, InputOrder order) {
    const std::vector<VertexPN>& soup = Input(order);
    GlDevice& gl = *Gl();
    for (auto _ : state) {
        std::shared_ptr<IGeometry> geometry = BuildTriangleGeometry(gl, soup, kUnitBox);
        FinishGl();
        state.PauseTiming();
        geometry.reset();
        FinishGl();
        state.ResumeTiming();
    }
    SetBuilderCounters(state, order, true);
}

// The same on a device that only keeps the bytes: the CPU work. With
// reorder, the public entry point; without, the builder alone on the list as
// given, with no spatial order and no cache reordering.
void BuilderToMemory(benchmark::State& state, InputOrder order, bool reorder) {
    using Builder = detail::IndexedVertexContainerBuilder<VertexPN>;
    const std::vector<VertexPN>& soup = Input(order);
    for (auto _ : state) {
        state.PauseTiming();
        auto device = std::make_unique<RecordingDevice>();
        device->SetRecording(false);
        Builder::Container buffers;
        std::shared_ptr<IGeometry> geometry;
        state.ResumeTiming();
        if (reorder) {
            geometry = BuildTriangleGeometry(*device, soup, kUnitBox);
        } else {
            Builder builder(*device, buffers, 3, false);
            builder.AddPrimitives(std::span(soup));
            builder.Finish();
        }
        state.PauseTiming();
        geometry.reset();
        buffers.clear();
        device.reset();
        state.ResumeTiming();
    }
    SetBuilderCounters(state, order, reorder);
}

// The host's indexed plane taken as it is: its shared indices need no
// comparison of vertices.
void BuilderIndexedToMemory(benchmark::State& state) {
    const IndexedSurface& plane = MillionTrianglePlane();
    for (auto _ : state) {
        state.PauseTiming();
        auto device = std::make_unique<RecordingDevice>();
        device->SetRecording(false);
        state.ResumeTiming();
        std::shared_ptr<IGeometry> geometry =
            BuildTriangleGeometry(*device, plane.positions, plane.normals, plane.indices, kUnitBox);
        state.PauseTiming();
        geometry.reset();
        device.reset();
        state.ResumeTiming();
    }
    state.counters["triangles"] = static_cast<double>(plane.indices.size() / 3);
}

struct IndexedMesh {
    std::vector<VertexPN> vertices;
    std::vector<unsigned> indices;
};

IndexedMesh Deduplicate(const std::vector<VertexPN>& soup) {
    const std::size_t count = soup.size();
    std::vector<unsigned> remap(count);
    const std::size_t unique = meshopt_generateVertexRemap(remap.data(), nullptr, count, soup.data(), count,
                                                           sizeof(VertexPN));
    IndexedMesh mesh{std::vector<VertexPN>(unique), std::vector<unsigned>(count)};
    meshopt_remapVertexBuffer(mesh.vertices.data(), soup.data(), count, sizeof(VertexPN), remap.data());
    meshopt_remapIndexBuffer(mesh.indices.data(), nullptr, count, remap.data());
    return mesh;
}

using CacheOptimizer = std::function<void(IndexedMesh&)>;

void OptimizeFifo(IndexedMesh& mesh) {
    meshopt_optimizeVertexCacheFifo(mesh.indices.data(), mesh.indices.data(), mesh.indices.size(),
                                    mesh.vertices.size(), kAcmrCacheSize);
}
void OptimizeDefault(IndexedMesh& mesh) {
    meshopt_optimizeVertexCache(mesh.indices.data(), mesh.indices.data(), mesh.indices.size(), mesh.vertices.size());
}

void OptimizeFetch(IndexedMesh& mesh) {
    meshopt_optimizeVertexFetch(mesh.vertices.data(), mesh.indices.data(), mesh.indices.size(),
                                mesh.vertices.data(), mesh.vertices.size(), sizeof(VertexPN));
}

// Deduplication, a cache optimiser and fetch reordering over the whole mesh
// with 32-bit indices.
void Meshoptimizer(benchmark::State& state, InputOrder order, const CacheOptimizer& optimizeCache) {
    const std::vector<VertexPN>& soup = Input(order);
    for (auto _ : state) {
        IndexedMesh mesh = Deduplicate(soup);
        optimizeCache(mesh);
        OptimizeFetch(mesh);
        benchmark::DoNotOptimize(mesh.indices.data());
        benchmark::ClobberMemory();
        state.PauseTiming();
        mesh = {};
        state.ResumeTiming();
    }
    IndexedMesh mesh = Deduplicate(soup);
    const double before = Acmr(mesh.indices, mesh.vertices.size());
    optimizeCache(mesh);
    SetCounters(state, soup, before, Acmr(mesh.indices, mesh.vertices.size()), 1,
                static_cast<double>(mesh.vertices.size() * sizeof(VertexPN) + mesh.indices.size() * sizeof(unsigned)));
}

benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* benchmark) {
    return benchmark->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

void RegisterGeometryBuildBenchmarks() {
    Configure(benchmark::RegisterBenchmark("GeometryBuild/builder_memory_indexed/plane", BuilderIndexedToMemory));
    for (const auto& [orderName, order] : {std::pair{"grid_order", InputOrder::Grid},
                                           std::pair{"shuffled", InputOrder::Shuffled}}) {
        const std::string suffix = std::string("/") + orderName;
        if (Gl() != nullptr)
            Configure(benchmark::RegisterBenchmark(("GeometryBuild/builder_gl" + suffix).c_str(), BuilderToGl, order));
        Configure(benchmark::RegisterBenchmark(("GeometryBuild/builder_memory" + suffix).c_str(), BuilderToMemory,
                                               order, true));
        Configure(benchmark::RegisterBenchmark(("GeometryBuild/builder_memory_no_reorder" + suffix).c_str(),
                                               BuilderToMemory, order, false));
        Configure(benchmark::RegisterBenchmark(("GeometryBuild/meshopt_fifo" + suffix).c_str(), Meshoptimizer, order,
                                               CacheOptimizer(OptimizeFifo)));
        Configure(benchmark::RegisterBenchmark(("GeometryBuild/meshopt_default" + suffix).c_str(), Meshoptimizer,
                                               order, CacheOptimizer(OptimizeDefault)));
    }
}

}  // namespace Korvex::Rendering::bench
