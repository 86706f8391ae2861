#pragma once

// From a dataset to what the library draws: one regular grid of samples of
// the chosen value, and optionally of a displacement, at points or at cell
// centres.

#include "ArrayChoice.h"
#include "GridLayout.h"

#include <Dataset.h>

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <array>
#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace Korvex::Fields {

// The most samples along an axis that the library's 3D textures take.
inline constexpr std::size_t kMaxSamplesPerAxis = 2048;
// Grids beyond it are resampled coarser: 512^3, a CT volume's usual size.
inline constexpr std::size_t kDefaultMaxSamples = std::size_t{1} << 27;
// Grids of cells are resampled onto 256^3 unless told otherwise.
inline constexpr std::size_t kDefaultMeshSamples = std::size_t{1} << 24;

// A grid of cells drawn through the lattice its fields were resampled onto:
// its own outer surface and cell edges, drawn instead of the lattice's box.
struct CellMeshGeometry {
    std::vector<Rendering::VertexPN> surface;  // triangles
    std::vector<Rendering::VertexPN> edges;    // line segments
    std::vector<std::uint8_t> inside;          // per lattice point: whether it lies in a cell
    // The drawn array's own values (chosen component or magnitude), one per
    // point or cell: the colour range of the data, which the lattice's
    // values, carried a little beyond the cells, would overstate.
    std::vector<float> values;
};

struct UniformField {
    // The points of the drawn lattice: its box is the grid's, its cells are
    // what voxels show.
    GridLayout points;
    // Where the dataset's own cells meet along each axis: the edges drawn.
    AxisPositions cellWalls;
    // At points, or at the centres of the cells of `points`.
    Io::Location location = Io::Location::Points;
    std::string scalarsLabel;  // "'velocity' magnitude"
    std::vector<float> scalars;
    std::string vectorsName;                    // empty without a displacement
    std::vector<std::array<float, 3>> vectors;  // empty, or one per sample
    std::shared_ptr<const CellMeshGeometry> mesh;  // for grids of cells

    // Where the samples lie: the points, or the cell centres.
    GridLayout Samples() const;
};

struct FieldRequest {
    std::string scalars;  // empty: FirstArray
    ComponentChoice component;
    std::string vectors;  // empty: no displacement
    std::size_t maxSamples = kDefaultMaxSamples;
    // The lattice a grid of cells is resampled onto, in samples (at most maxSamples).
    std::size_t meshSamples = kDefaultMeshSamples;
};

// Values that are not finite cannot be coloured or interpolated: NaN and
// -infinity become the lowest float, +infinity the highest, which lie beyond
// every range a user gives and which ranges taken from the data leave out.
inline constexpr float kBeyondRange = std::numeric_limits<float>::max();

struct FieldResult {
    UniformField field;
    // What was done to the data on the way, for the user: resampling, values
    // that are not finite.
    std::vector<std::string> notes;
    std::string error;  // why nothing can be drawn, without the file name
};

// A grid of cells (curvilinear or unstructured) is resampled onto a lattice
// over its box (see MakeCellField). Otherwise: takes an image grid as it is
// when it fits the limits, uniform
// rectilinear coordinates as an image grid, and resamples the rest onto the
// lattice no coarser than its finest spacing that maxSamples and
// kMaxSamplesPerAxis allow, spanning the grid's true box. Values at points
// are interpolated linearly; values at cells keep the value of the cell
// that holds each new cell's centre. A displacement at the other location
// than the scalars is averaged onto theirs.
FieldResult MakeUniformField(const Io::Dataset& dataset, const FieldRequest& request);

// The same field with its values at points (cells averaged onto them).
UniformField AtPoints(const UniformField& field);

}  // namespace Korvex::Fields
