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
        for (std::size_t c = 0; c < width; ++c) sum += double(array.values[i * width + c]) * array.values[i * width + c];
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
