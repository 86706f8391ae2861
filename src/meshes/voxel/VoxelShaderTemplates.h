#pragma once

#include <string_view>

namespace Korvex::Rendering::detail {

// One point per voxel: the vertex stage places the voxel's eight corners on
// the centres of its scalar-grid samples, the geometry stage emits the six
// faces as quads (one instance each), the pixel stage colours them through
// the gradient.
extern const std::string_view kVoxelVertex;
extern const std::string_view kVoxelGeometry;
extern const std::string_view kVoxelPixel;

}  // namespace Korvex::Rendering::detail
