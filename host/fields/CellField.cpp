#include "CellField.h"

#include "CellResampling.h"
#include "Deformation.h"
#include "GridOverBox.h"
#include "SurfaceEdges.h"
#include "SurfaceTriangles.h"

#include <StructuredCells.h>

#include <algorithm>

namespace Korvex::Fields {

namespace {

std::string CellTypeName(std::uint8_t type) {
    switch (type) {
    case 1:
    case 2:
        return "vertices";
    case 3:
    case 4:
    case 21:
    case 35:
    case 68:
    case 75:
        return "lines";
    case 6:
        return "triangle strips";
    case 7:
        return "polygons";
    case 42:
        return "polyhedra";
    default:
        return "cells of type " + std::to_string(type);
    }
}

// "left out 3 lines (type 3) and 1 polyhedra (type 42)..."
std::string SkippedCells(const std::map<std::uint8_t, std::size_t>& skipped) {
    std::string text;
    std::size_t n = 0;
    for (const auto& [type, count] : skipped) {
        text += n == 0 ? "" : n + 1 == skipped.size() ? " and " : ", ";
        text += std::to_string(count) + " " + CellTypeName(type) + " (VTK type " + std::to_string(type) + ")";
        ++n;
    }
    return "left out " + text + ": only cells with a surface or a volume are drawn";
}

// The library tessellates a deformed surface into pieces of about the
// lattice's smallest cell. llvmpipe leaves out triangles (holes in the
// picture) once consecutive patches make too many pieces: seen from about
// 18 pieces along each patch's edges. A deformed surface's triangles are
// cut so that none has an edge of more than this many cells.
constexpr double kMaxCellsPerEdge = 14.0;

std::string Dimensions(const GridLayout& layout) {
    return std::to_string(layout.dimensions[0]) + "x" + std::to_string(layout.dimensions[1]) + "x" +
           std::to_string(layout.dimensions[2]);
}

}  // namespace

FieldResult MakeCellField(const Io::Dataset& dataset, const ChosenArrays& arrays, const FieldRequest& request) {
    FieldResult result;
    UnstructuredGrid converted;
    const UnstructuredGrid* grid = std::get_if<UnstructuredGrid>(&dataset.geometry);
    if (grid == nullptr) {
        converted = Io::CellsOfStructuredGrid(std::get<Io::StructuredGrid>(dataset.geometry));
        grid = &converted;
    }
    const LinearCells::Result made = LinearCells::Create(*grid);
    if (!made.cells) {
        result.error = made.error;
        return result;
    }
    const LinearCells& cells = *made.cells;
    if (!cells.Skipped().empty()) result.notes.push_back(SkippedCells(cells.Skipped()));
    const std::vector<SurfaceFace> surface = FindSurfaceFaces(cells);
    if (surface.empty()) {
        result.error = "no cell has a surface to draw";
        return result;
    }
    auto mesh = std::make_shared<CellMeshGeometry>();
    mesh->surface = SurfaceTriangles(cells, surface);
    mesh->edges = SurfaceEdges(cells, surface);
    const std::size_t budget = std::min(request.meshSamples, request.maxSamples);
    const GridLayout lattice = GridOverBox(cells.Bounds(), budget);
    if (arrays.vectors != nullptr) {
        const double cell = *std::min_element(lattice.spacing.begin(), lattice.spacing.end());
        mesh->surface = SplitLongTriangles(std::move(mesh->surface), kMaxCellsPerEdge * cell);
    }
    SampleOwners owners = FindSampleOwners(cells, surface, lattice);

    mesh->values = ComponentValues(*arrays.scalars, request.component);
    std::vector<FieldValues> fields{{mesh->values, 1, arrays.scalars->location == Io::Location::Cells}};
    if (arrays.vectors != nullptr)
        fields.push_back({arrays.vectors->values, 3, arrays.vectors->location == Io::Location::Cells});
    std::vector<std::vector<float>> samples = ResampleFields(cells, owners, fields);

    UniformField& field = result.field;
    field.points = lattice;
    field.cellWalls = lattice.Positions();
    field.location = Io::Location::Points;
    field.scalarsLabel = Label(*arrays.scalars, request.component);
    field.scalars = std::move(samples[0]);
    if (arrays.vectors != nullptr) {
        field.vectorsName = arrays.vectors->name;
        field.vectors = DisplacementTriples(samples[1]);
    }
    mesh->inside = std::move(owners.inside);
    field.mesh = std::move(mesh);
    result.notes.push_back("resampled " + std::to_string(cells.CellCount()) +
                           (cells.CellCount() == 1 ? " cell" : " cells") + " onto a uniform " + Dimensions(lattice) +
                           " grid (at most " + std::to_string(budget) + " samples)");
    return result;
}

}  // namespace Korvex::Fields
