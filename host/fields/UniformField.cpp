#include "UniformField.h"

#include "CellField.h"
#include "Deformation.h"
#include "Resampling.h"

#include <algorithm>
#include <cmath>
#include <variant>

namespace Korvex::Fields {

namespace {

// Coordinates that differ from equal steps by less than this share of a
// step are taken as uniform: file formats print them rounded.
constexpr double kUniformTolerance = 1e-4;

std::size_t CellsAlong(std::size_t points) { return points > 1 ? points - 1 : 1; }

std::string Dimensions(const std::array<std::size_t, 3>& size) {
    return std::to_string(size[0]) + "x" + std::to_string(size[1]) + "x" + std::to_string(size[2]);
}

AxisPositions PointsOf(const Io::Geometry& geometry) {
    if (const auto* grid = std::get_if<Io::RectilinearGrid>(&geometry)) return grid->coordinates;
    const auto& image = std::get<Io::ImageGrid>(geometry);
    return GridLayout{image.dimensions, image.origin, image.spacing}.Positions();
}

bool IsUniform(const std::vector<double>& positions) {
    const double step = (positions.back() - positions.front()) / static_cast<double>(positions.size() - 1);
    for (std::size_t i = 1; i < positions.size(); ++i)
        if (std::fabs(positions[i] - positions[i - 1] - step) > kUniformTolerance * step) return false;
    return true;
}

double FinestStep(const std::vector<double>& positions) {
    double finest = positions.back() - positions.front();
    for (std::size_t i = 1; i < positions.size(); ++i) finest = std::min(finest, positions[i] - positions[i - 1]);
    return finest;
}

// Samples along each axis of the drawn lattice: as many as the grid has
// where it is uniform, enough for its finest step elsewhere, within the
// limits. Also says whether that is the grid as it is, and why not.
struct Lattice {
    std::array<std::size_t, 3> samples{};
    bool asItIs = true;
    std::string why;
};

Lattice ChooseLattice(const AxisPositions& points, bool atCells, std::size_t maxSamples) {
    Lattice lattice;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::vector<double>& along = points[axis];
        std::size_t& samples = lattice.samples[axis];
        samples = atCells ? CellsAlong(along.size()) : along.size();
        if (along.size() > 2 && !IsUniform(along)) {
            const double steps = std::ceil((along.back() - along.front()) / FinestStep(along) - kUniformTolerance);
            samples = static_cast<std::size_t>(std::min(steps, 1e9)) + (atCells ? 0 : 1);
            lattice.why = "its finest spacing";
        }
        if (samples > kMaxSamplesPerAxis) {
            samples = kMaxSamplesPerAxis;
            lattice.why = std::to_string(kMaxSamplesPerAxis) + " samples along an axis at most";
        }
    }
    const std::size_t least = atCells ? 1 : 2;
    for (;;) {
        const double total = double(lattice.samples[0]) * double(lattice.samples[1]) * double(lattice.samples[2]);
        if (total <= double(maxSamples)) break;
        std::size_t scaled = 0;
        for (std::size_t& samples : lattice.samples) scaled += samples > least ? 1 : 0;
        if (scaled == 0) break;
        const double factor = std::pow(double(maxSamples) / total, 1.0 / double(scaled));
        for (std::size_t& samples : lattice.samples)
            if (samples > least)
                samples = std::max(least, std::min(samples - 1, static_cast<std::size_t>(double(samples) * factor)));
        lattice.why = "at most " + std::to_string(maxSamples) + " samples";
    }
    for (std::size_t axis = 0; axis < 3; ++axis)
        lattice.asItIs = lattice.asItIs &&
                         lattice.samples[axis] == (atCells ? CellsAlong(points[axis].size()) : points[axis].size());
    return lattice;
}

// The points of the lattice: across the grid's box, flat axes given the
// largest spacing of the others so that the GPU grid has a thickness.
GridLayout PointLattice(const AxisPositions& points, const std::array<std::size_t, 3>& samples, bool atCells) {
    GridLayout layout;
    double largest = 0.0;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::vector<double>& along = points[axis];
        layout.origin[axis] = along.front();
        if (along.size() == 1) continue;
        const std::size_t cells = atCells ? samples[axis] : samples[axis] - 1;
        layout.dimensions[axis] = cells + 1;
        layout.spacing[axis] = (along.back() - along.front()) / static_cast<double>(cells);
        largest = std::max(largest, layout.spacing[axis]);
    }
    for (std::size_t axis = 0; axis < 3; ++axis)
        if (points[axis].size() == 1) layout.spacing[axis] = largest > 0.0 ? largest : 1.0;
    return layout;
}

GridLayout CellCentres(const GridLayout& points) {
    GridLayout centres = points;
    for (std::size_t axis = 0; axis < 3; ++axis)
        if (points.dimensions[axis] > 1) {
            centres.dimensions[axis] = points.dimensions[axis] - 1;
            centres.origin[axis] += 0.5 * points.spacing[axis];
        }
    return centres;
}

std::array<AxisWeights, 3> WeightsOnto(const AxisPositions& points, const GridLayout& samples, bool atCells) {
    std::array<AxisWeights, 3> weights;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        std::vector<double> targets;
        for (std::size_t i = 0; i < samples.dimensions[axis]; ++i) targets.push_back(samples.Position(axis, i));
        weights[axis] = atCells ? CellWeights(points[axis], targets) : LinearWeights(points[axis], targets);
    }
    return weights;
}

// How many values were not finite; they are set beyond every range.
std::size_t PutNonFiniteBeyondRange(std::vector<float>& values) {
    std::size_t count = 0;
    for (float& value : values)
        if (!std::isfinite(value)) {
            value = value > 0.0f ? kBeyondRange : -kBeyondRange;
            ++count;
        }
    return count;
}

FieldResult Failure(std::string message) {
    FieldResult result;
    result.error = std::move(message);
    return result;
}

}  // namespace

GridLayout UniformField::Samples() const { return location == Io::Location::Cells ? CellCentres(points) : points; }

namespace {

// A structured grid's field on a lattice over its box.
FieldResult MakeLatticeField(const Io::Dataset& dataset, const ChosenArrays& chosen, const FieldRequest& request) {
    const Io::DataArray* scalars = chosen.scalars;
    const Io::DataArray* vectors = chosen.vectors;

    FieldResult result;
    UniformField& field = result.field;
    const bool atCells = scalars->location == Io::Location::Cells;
    const AxisPositions points = PointsOf(dataset.geometry);
    const Lattice lattice = ChooseLattice(points, atCells, request.maxSamples);
    field.points = PointLattice(points, lattice.samples, atCells);
    field.cellWalls = points;
    field.location = scalars->location;
    field.scalarsLabel = Label(*scalars, request.component);
    field.scalars = ComponentValues(*scalars, request.component);

    const std::array<std::size_t, 3> pointDimensions = Io::PointDimensions(dataset.geometry);
    std::vector<float> displacement;
    if (vectors != nullptr) {
        field.vectorsName = vectors->name;
        displacement = vectors->location == scalars->location ? vectors->values
                       : atCells ? PointsToCells(vectors->values, 3, pointDimensions)
                                 : CellsToPoints(vectors->values, 3, pointDimensions);
    }
    if (!lattice.asItIs) {
        const std::array<std::size_t, 3> source =
            atCells ? Io::CellDimensions(dataset.geometry) : pointDimensions;
        const std::array<AxisWeights, 3> weights = WeightsOnto(points, field.Samples(), atCells);
        field.scalars = Resample(field.scalars, 1, source, weights);
        if (!displacement.empty()) displacement = Resample(displacement, 3, source, weights);
        result.notes.push_back("resampled " +
                               Dimensions(atCells ? Io::CellDimensions(dataset.geometry) : pointDimensions) +
                               (atCells ? " cells" : " points") + " onto a uniform " +
                               Dimensions(field.Samples().dimensions) + " (" + lattice.why + ")");
    }
    field.vectors = DisplacementTriples(displacement);
    return result;
}

}  // namespace

FieldResult MakeUniformField(const Io::Dataset& dataset, const FieldRequest& request) {
    const ChosenArrays chosen = ChooseArrays(dataset, request.scalars, request.component, request.vectors);
    if (!chosen.error.empty()) return Failure(chosen.error);
    const bool cells = std::holds_alternative<Io::StructuredGrid>(dataset.geometry) ||
                       std::holds_alternative<Io::UnstructuredGrid>(dataset.geometry);
    FieldResult result = cells ? MakeCellField(dataset, chosen, request) : MakeLatticeField(dataset, chosen, request);
    if (!result.error.empty()) return result;
    if (const std::size_t count = PutNonFiniteBeyondRange(result.field.scalars))
        result.notes.push_back(result.field.scalarsLabel + ": " + std::to_string(count) +
                               " values are not finite numbers; they take the colours beyond the range");
    return result;
}

UniformField AtPoints(const UniformField& field) {
    if (field.location == Io::Location::Points) return field;
    UniformField atPoints = field;
    atPoints.location = Io::Location::Points;
    atPoints.scalars = CellsToPoints(field.scalars, 1, field.points.dimensions);
    if (!field.vectors.empty()) {
        std::vector<float> flat;
        for (const std::array<float, 3>& v : field.vectors) flat.insert(flat.end(), v.begin(), v.end());
        atPoints.vectors = DisplacementTriples(CellsToPoints(flat, 3, field.points.dimensions));
    }
    return atPoints;
}

}  // namespace Korvex::Fields
