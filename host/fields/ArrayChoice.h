#pragma once

// Which array of a dataset is drawn, and which of its components.

#include <Dataset.h>

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Fields {

// A component choice: nothing for the default (the value of a
// one-component array, the magnitude of others), an index, or kMagnitude.
using ComponentChoice = std::optional<std::size_t>;
inline constexpr std::size_t kMagnitude = std::numeric_limits<std::size_t>::max();

// The first array of that name, or null.
const Io::DataArray* FindArray(const Io::Dataset& dataset, std::string_view name);
// The first array, passing over VTK's own bookkeeping (vtkGhostType...)
// while others exist; null without arrays.
const Io::DataArray* FirstArray(const Io::Dataset& dataset);
// The first array of 3 components, the usual displacement; null without.
const Io::DataArray* FirstVectors(const Io::Dataset& dataset);
// The names as a message lists them: "'a', 'b' and 'c'".
std::string ArrayNames(const Io::Dataset& dataset);

// The arrays a field is made of, checked against the dataset: each exists,
// the component fits, the displacement has 3 components, every array holds
// a tuple per point or cell. An empty scalars name takes FirstArray, an empty
// vectors name no displacement.
struct ChosenArrays {
    const Io::DataArray* scalars = nullptr;
    const Io::DataArray* vectors = nullptr;
    std::string error;  // why they cannot be drawn; empty when chosen
};
ChosenArrays ChooseArrays(const Io::Dataset& dataset, const std::string& scalars, ComponentChoice component,
                          const std::string& vectors);

// Why the choice does not fit the array, or empty.
std::string CheckComponent(const Io::DataArray& array, ComponentChoice component);
// One value per tuple: the chosen component or the magnitude.
std::vector<float> ComponentValues(const Io::DataArray& array, ComponentChoice component);
// "'velocity' magnitude", "'velocity' component 1", "'density'".
std::string Label(const Io::DataArray& array, ComponentChoice component);

}  // namespace Korvex::Fields
