#include "SeriesSettings.h"

#include "ScenePlan.h"

#include <ArrayChoice.h>
#include <Deformation.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>

namespace Korvex::App {

namespace {

using Io::Point3;


// Calls visit(index, position) for every point of the geometry.
template <class Visit>
void ForEachPoint(const Io::Geometry& geometry, Visit visit) {
    if (const auto* image = std::get_if<Io::ImageGrid>(&geometry)) {
        const auto& n = image->dimensions;
        for (std::size_t k = 0, index = 0; k < n[2]; ++k)
            for (std::size_t j = 0; j < n[1]; ++j)
                for (std::size_t i = 0; i < n[0]; ++i, ++index)
                    visit(index, Point3{image->origin[0] + double(i) * image->spacing[0],
                                        image->origin[1] + double(j) * image->spacing[1],
                                        image->origin[2] + double(k) * image->spacing[2]});
    } else if (const auto* rectilinear = std::get_if<Io::RectilinearGrid>(&geometry)) {
        const auto& c = rectilinear->coordinates;
        std::size_t index = 0;
        for (double z : c[2])
            for (double y : c[1])
                for (double x : c[0]) visit(index++, Point3{x, y, z});
    } else {
        const auto& points = std::holds_alternative<Io::StructuredGrid>(geometry)
                                 ? std::get<Io::StructuredGrid>(geometry).points
                                 : std::get<Io::UnstructuredGrid>(geometry).points;
        for (std::size_t index = 0; index < points.size(); ++index) visit(index, points[index]);
    }
}

// The box of the points moved by factor times their displacement, or, for
// one at cells, by its extremes along each axis.
Rendering::boundingbox<double, 3> MovedBox(const Io::Geometry& geometry, const Rendering::boundingbox<double, 3>& rest,
                                           const Io::DataArray& vectors, double factor) {
    const auto move = [&](std::size_t tuple, std::size_t axis) {
        const double d = vectors.values[3 * tuple + axis];
        return std::isfinite(d) ? factor * d : 0.0;
    };
    Rendering::boundingbox<double, 3> box;
    if (vectors.location == Io::Location::Points) {
        ForEachPoint(geometry, [&](std::size_t index, const Point3& p) {
            box.Add({p[0] + move(index, 0), p[1] + move(index, 1), p[2] + move(index, 2)});
        });
        return box;
    }
    box = rest;
    for (std::size_t tuple = 0; tuple < vectors.Tuples(); ++tuple)
        for (std::size_t axis = 0; axis < 3; ++axis) {
            box.min[axis] = std::min(box.min[axis], rest.min[axis] + move(tuple, axis));
            box.max[axis] = std::max(box.max[axis], rest.max[axis] + move(tuple, axis));
        }
    return box;
}

}  // namespace

std::vector<std::size_t> SelectedSteps(std::size_t count, const std::optional<StepSlice>& slice) {
    const StepSlice all{0, count, 1};
    const StepSlice& chosen = slice.value_or(all);
    std::vector<std::size_t> steps;
    for (std::size_t step = chosen.first; step < std::min(chosen.end, count); step += chosen.stride)
        steps.push_back(step);
    return steps;
}

std::string SeriesSettings::Add(const Io::Dataset& dataset) {
    const Fields::FieldRequest request = RequestFromOptions(dataset, options_);
    const Fields::ChosenArrays chosen =
        Fields::ChooseArrays(dataset, request.scalars, request.component, request.vectors);
    if (!chosen.error.empty()) return chosen.error;
    // --color-by colours by the array's value or magnitude.
    const Fields::ChosenArrays colours =
        options_.colorBy.empty() ? chosen : Fields::ChooseArrays(dataset, options_.colorBy, {}, {});
    if (!colours.error.empty()) return "--color-by: " + colours.error;
    const Fields::ComponentChoice component = options_.colorBy.empty() ? request.component : std::nullopt;
    if (const auto step = ColourExtremes(Fields::ComponentValues(*colours.scalars, component), options_.logarithmic))
        extremes_ = extremes_ ? std::array<float, 2>{std::min((*extremes_)[0], (*step)[0]),
                                                     std::max((*extremes_)[1], (*step)[1])}
                              : *step;

    const auto bounds = Io::Bounds(dataset.geometry);
    StepBox box;
    box.rest = {{bounds[0][0], bounds[1][0], bounds[2][0]}, {bounds[0][1], bounds[1][1], bounds[2][1]}};
    box.moved = box.rest;
    // Without a displacement, planning the picture says so.
    if (chosen.vectors != nullptr) {
        const std::optional<double> own =
            options_.deformAuto ? Fields::AutoDeformationFactor(chosen.vectors->values, box.rest) : std::nullopt;
        if (own) deformation_ = std::min(deformation_.value_or(static_cast<float>(*own)), static_cast<float>(*own));
        box.factor = options_.deformAuto ? own.value_or(1.0) : options_.deformation.value_or(0.0f);
        if (box.factor != 0.0) box.moved = MovedBox(dataset.geometry, box.rest, *chosen.vectors, box.factor);
    }
    boxes_.push_back(box);
    return {};
}

RenderOptions SeriesSettings::StepOptions() const {
    RenderOptions options = options_;
    if (!options.range && extremes_) options.range = ColourRange(*extremes_, options_.logarithmic);
    if (deformation_) options.deformation = deformation_;
    return options;
}

std::optional<Rendering::boundingbox<double, 3>> SeriesSettings::Extent() const {
    if (boxes_.empty()) return std::nullopt;
    const double factor = StepOptions().deformation.value_or(0.0f);
    Rendering::boundingbox<double, 3> extent;
    for (const StepBox& step : boxes_) {
        const double t = step.factor != 0.0 ? factor / step.factor : 0.0;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            extent.min[axis] = std::min(extent.min[axis], std::lerp(step.rest.min[axis], step.moved.min[axis], t));
            extent.max[axis] = std::max(extent.max[axis], std::lerp(step.rest.max[axis], step.moved.max[axis], t));
        }
    }
    return extent;
}

}  // namespace Korvex::App
