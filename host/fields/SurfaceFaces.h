#pragma once

#include "LinearCells.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Korvex::Fields {

// Face `face` of cell `cell`, numbered as in FacesOf(its shape); a shell's
// one face is the shell itself.
struct SurfaceFace {
    std::uint32_t cell = 0;
    std::uint8_t face = 0;
};

// The outer surface: each face used by exactly one solid cell, and each
// shell that lies on no solid face (coinciding shells count once). Faces are
// matched by the canonical ids of their distinct corners, so a corner
// repeated in a degenerate cell does not keep its face from its neighbour's,
// and a face of fewer than three distinct corners is never on the surface.
// In the order of the faces' smallest canonical ids.
std::vector<SurfaceFace> FindSurfaceFaces(const LinearCells& cells);

// A face's corners (point ids) in order around it, a corner that repeats
// the one before it left out.
struct FacePolygon {
    std::array<std::uint32_t, 4> points{};
    std::size_t count = 0;
};
FacePolygon PolygonOf(const LinearCells& cells, SurfaceFace face);

}  // namespace Korvex::Fields
