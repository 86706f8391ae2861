#include "ArrayChoice.h"

#include <ValueType.h>

#include <cmath>

namespace Korvex::Fields {

namespace {

bool IsBookkeeping(const Io::DataArray& array) { return array.name.starts_with("vtk"); }

bool TakesMagnitude(const Io::DataArray& array, ComponentChoice component) {
    return component ? *component == kMagnitude : array.components > 1;
}

}  // namespace

const Io::DataArray* FindArray(const Io::Dataset& dataset, std::string_view name) {
    for (const Io::DataArray& array : dataset.arrays)
        if (array.name == name) return &array;
    return nullptr;
}

const Io::DataArray* FirstArray(const Io::Dataset& dataset) {
    for (const Io::DataArray& array : dataset.arrays)
        if (!IsBookkeeping(array)) return &array;
    return dataset.arrays.empty() ? nullptr : &dataset.arrays.front();
}

const Io::DataArray* FirstVectors(const Io::Dataset& dataset) {
    for (const Io::DataArray& array : dataset.arrays)
        if (array.components == 3) return &array;
    return nullptr;
}

ChosenArrays ChooseArrays(const Io::Dataset& dataset, const std::string& scalars, ComponentChoice component,
                          const std::string& vectors) {
    ChosenArrays chosen;
    const auto fail = [&](std::string message) {
        chosen.error = std::move(message);
        return chosen;
    };
    if (dataset.arrays.empty()) return fail("the file holds no arrays to draw");
    chosen.scalars = scalars.empty() ? FirstArray(dataset) : FindArray(dataset, scalars);
    if (chosen.scalars == nullptr) return fail("no array '" + scalars + "'; the file has " + ArrayNames(dataset));
    if (std::string problem = CheckComponent(*chosen.scalars, component); !problem.empty()) return fail(problem);
    if (!vectors.empty()) {
        chosen.vectors = FindArray(dataset, vectors);
        if (chosen.vectors == nullptr) return fail("no array '" + vectors + "'; the file has " + ArrayNames(dataset));
        if (chosen.vectors->components != 3)
            return fail("'" + chosen.vectors->name + "' has " + std::to_string(chosen.vectors->components) +
                        " components; a displacement needs 3");
    }
    for (const Io::DataArray* array : {chosen.scalars, chosen.vectors})
        if (array != nullptr && array->Tuples() != Io::TupleCount(dataset.geometry, array->location))
            return fail("'" + array->name + "' has " + std::to_string(array->Tuples()) + " values, not one per " +
                        (array->location == Io::Location::Points ? "point" : "cell"));
    return chosen;
}

std::string ArrayNames(const Io::Dataset& dataset) {
    std::string names;
    for (std::size_t i = 0; i < dataset.arrays.size(); ++i) {
        if (i > 0) names += i + 1 == dataset.arrays.size() ? " and " : ", ";
        names += "'" + dataset.arrays[i].name + "'";
    }
    return names;
}

std::string CheckComponent(const Io::DataArray& array, ComponentChoice component) {
    if (!component || *component == kMagnitude || *component < array.components) return {};
    return "'" + array.name + "' has " + std::to_string(array.components) + " component" +
           (array.components == 1 ? "" : "s") + ": the component must be 0 to " +
           std::to_string(array.components - 1) + " or magnitude";
}

std::vector<float> ComponentValues(const Io::DataArray& array, ComponentChoice component) {
    const std::size_t tuples = array.Tuples(), width = array.components;
    std::vector<float> values(tuples);
    if (!TakesMagnitude(array, component)) {
        const std::size_t chosen = component.value_or(0);
        for (std::size_t i = 0; i < tuples; ++i) values[i] = array.values[i * width + chosen];
        return values;
    }
    for (std::size_t i = 0; i < tuples; ++i) {
        double sum = 0.0;
        for (std::size_t c = 0; c < width; ++c)
            sum += double(array.values[i * width + c]) * array.values[i * width + c];
        values[i] = Io::ToFloat(std::sqrt(sum));
    }
    return values;
}

std::string Label(const Io::DataArray& array, ComponentChoice component) {
    const std::string name = "'" + array.name + "'";
    if (TakesMagnitude(array, component)) return name + " magnitude";
    if (component && array.components > 1) return name + " component " + std::to_string(*component);
    return name;
}

}  // namespace Korvex::Fields
