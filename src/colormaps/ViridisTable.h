#pragma once

#include <vector>

namespace Korvex::Rendering::detail {

// The published viridis map: 256 RGBA entries, 1,024 floats, alpha 1.0.
// Filled at static initialisation and read-only afterwards, so it is safe to
// read from any thread once the library is loaded.
extern const std::vector<float> kViridisTable;

}  // namespace Korvex::Rendering::detail
