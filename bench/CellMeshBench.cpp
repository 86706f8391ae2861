// A finite-element result of about a million tetrahedra (55^3 hexahedra cut
// into six each, 176k points) taken to what the library draws: read from a
// .vtu file (appended raw binary, as VTK writes by default), the cells
// checked and their points merged by position, the outer surface with its
// normals and edges, the samples of a 16M-sample grid located in their
// cells, and a scalar and a vector field resampled there together.

#include "Registration.h"

#include <CellMeshes.h>
#include <DatasetFile.h>
#include <XmlTestFiles.h>
#include <CellResampling.h>
#include <GridOverBox.h>
#include <UniformField.h>
#include <SurfaceEdges.h>
#include <SurfaceTriangles.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace Korvex::Rendering::bench {

namespace {

using namespace Korvex::Fields;

const UnstructuredGrid& MillionTetrahedra() {
    static const UnstructuredGrid grid = test::Tetrahedralised(test::HexBox({55, 55, 55}, {0, 0, 0}, {1, 1, 1}));
    return grid;
}

// Removed when the program ends.
struct TemporaryFile {
    std::string path;
    ~TemporaryFile() { std::filesystem::remove(path); }
};

// The mesh with a scalar and a vector at each point, written once.
const std::string& MillionTetrahedraFile() {
    static const TemporaryFile written{[] {
        const UnstructuredGrid& grid = MillionTetrahedra();
        std::vector<double> points, connectivity, offsets, types, scalars;
        for (const Point3& p : grid.points) points.insert(points.end(), p.begin(), p.end());
        connectivity.assign(grid.connectivity.begin(), grid.connectivity.end());
        offsets.assign(grid.offsets.begin() + 1, grid.offsets.end());
        types.assign(grid.types.begin(), grid.types.end());
        for (const Point3& p : grid.points) scalars.push_back(p[0]);
        const std::string file = Io::test::XmlFileWriter({"", "appended"})
                                     .Write("UnstructuredGrid", "", "",
                                            {{"PointData", "f", "Float32", 1, scalars},
                                             {"PointData", "u", "Float32", 3, points},
                                             {"Points", "p", "Float32", 3, points},
                                             {"Cells", "connectivity", "Int64", 1, connectivity},
                                             {"Cells", "offsets", "Int64", 1, offsets},
                                             {"Cells", "types", "UInt8", 1, types}},
                                            " NumberOfPoints=\"" + std::to_string(grid.points.size()) +
                                                "\" NumberOfCells=\"" + std::to_string(grid.types.size()) + "\"");
        const std::string name = (std::filesystem::temp_directory_path() / "korvex-bench-tet-1M.vtu").string();
        std::ofstream(name, std::ios::binary) << file;
        return name;
    }()};
    return written.path;
}

struct Prepared {
    std::unique_ptr<LinearCells> cells;
    std::vector<SurfaceFace> surface;
    SampleOwners owners;
    std::vector<float> scalars, vectors;
};

enum class Stage { Read, Cells, Surface, SampleOwners, Resample, All };

void RunStage(benchmark::State& state, Stage stage) {
    const UnstructuredGrid& grid = MillionTetrahedra();
    Prepared p;
    p.cells = std::move(LinearCells::Create(grid).cells);
    p.surface = FindSurfaceFaces(*p.cells);
    p.owners = FindSampleOwners(*p.cells, p.surface, GridOverBox(p.cells->Bounds(), kDefaultMeshSamples));
    p.scalars = test::PointValues(
        grid, [](const Vec3& x) { return x; }, 1);
    p.vectors = test::PointValues(
        grid, [](const Vec3& x) { return x; }, 3);
    const FieldValues fields[] = {{p.scalars, 1}, {p.vectors, 3}};
    const auto all = [&](Stage s) { return stage == s || stage == Stage::All; };
    if (all(Stage::Read)) MillionTetrahedraFile();
    for (auto _ : state) {
        if (all(Stage::Read)) benchmark::DoNotOptimize(Io::ReadDatasetFile(MillionTetrahedraFile()));
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
    const std::pair<const char*, Stage> stages[] = {
        {"read", Stage::Read},         {"cells", Stage::Cells},
        {"surface", Stage::Surface},   {"sample_owners", Stage::SampleOwners},
        {"resample", Stage::Resample}, {"all", Stage::All}};
    for (const auto& [name, stage] : stages)
        benchmark::RegisterBenchmark((std::string("CellMesh/") + name + "/tet_1M").c_str(), RunStage, stage)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
}

}  // namespace Korvex::Rendering::bench
