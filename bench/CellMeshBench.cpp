// A finite-element result of about a million tetrahedra (55^3 hexahedra cut
// into six each, 176k points) taken to what the library draws: the cells
// checked and their points merged by position, the outer surface with its
// normals and edges, the samples of a 16M-sample grid located in their
// cells, and a scalar and a vector field resampled there together.

#include "Registration.h"

#include <CellMeshes.h>
#include <CellResampling.h>
#include <GridOverBox.h>
#include <SurfaceEdges.h>
#include <SurfaceTriangles.h>

#include <benchmark/benchmark.h>

namespace Korvex::Rendering::bench {

namespace {

using namespace Korvex::Fields;

const UnstructuredGrid& MillionTetrahedra() {
    static const UnstructuredGrid grid = test::Tetrahedralised(test::HexBox({55, 55, 55}, {0, 0, 0}, {1, 1, 1}));
    return grid;
}

struct Prepared {
    std::unique_ptr<LinearCells> cells;
    std::vector<SurfaceFace> surface;
    SampleOwners owners;
    std::vector<float> scalars, vectors;
};

enum class Stage { Cells, Surface, SampleOwners, Resample, All };

void RunStage(benchmark::State& state, Stage stage) {
    const UnstructuredGrid& grid = MillionTetrahedra();
    Prepared p;
    p.cells = std::move(LinearCells::Create(grid).cells);
    p.surface = FindSurfaceFaces(*p.cells);
    p.owners = FindSampleOwners(*p.cells, p.surface, GridOverBox(p.cells->Bounds(), std::size_t{1} << 24));
    p.scalars = test::PointValues(
        grid, [](const Vec3& x) { return x; }, 1);
    p.vectors = test::PointValues(
        grid, [](const Vec3& x) { return x; }, 3);
    const FieldValues fields[] = {{p.scalars, 1}, {p.vectors, 3}};
    const auto all = [&](Stage s) { return stage == s || stage == Stage::All; };
    for (auto _ : state) {
        if (all(Stage::Cells)) benchmark::DoNotOptimize(LinearCells::Create(grid));
        if (all(Stage::Surface)) {
            const std::vector<SurfaceFace> faces = FindSurfaceFaces(*p.cells);
            benchmark::DoNotOptimize(SurfaceTriangles(*p.cells, faces));
            benchmark::DoNotOptimize(SurfaceEdges(*p.cells, faces));
        }
        if (all(Stage::SampleOwners)) benchmark::DoNotOptimize(FindSampleOwners(*p.cells, p.surface, p.owners.grid));
        if (all(Stage::Resample)) benchmark::DoNotOptimize(ResampleFields(*p.cells, p.owners, fields));
    }
    state.counters["cells"] = static_cast<double>(grid.types.size());
    state.counters["samples"] = static_cast<double>(p.owners.grid.Count());
}

}  // namespace

void RegisterCellMeshBenchmarks() {
    const std::pair<const char*, Stage> stages[] = {{"cells", Stage::Cells},
                                                    {"surface", Stage::Surface},
                                                    {"sample_owners", Stage::SampleOwners},
                                                    {"resample", Stage::Resample},
                                                    {"all", Stage::All}};
    for (const auto& [name, stage] : stages)
        benchmark::RegisterBenchmark((std::string("CellMesh/") + name + "/tet_1M").c_str(), RunStage, stage)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
}

}  // namespace Korvex::Rendering::bench
