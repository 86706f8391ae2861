#pragma once

// Geometry from a host's own line and triangle lists.
//
// The shared library exports only its factories and colour functions, so
// these functions are not in it: they come from the static library
// Korvex.Rendering.Simulation.Geometry, which a host links next to the shared
// one. It is compiled from the library's own geometry builder sources, so the
// geometry is what the library builds for itself; the shared library's copy
// of the builder stays local to it, and the two never meet.
//
// The result is drawn through IGeometry by the line and triangle meshes:
// duplicate vertices merged (exact float equality), 16-bit indexed draw calls
// of at most 65,535 vertices, split over as many buffers as
// gpu.GetMaxBufferSize() requires, triangles reordered for the vertex cache.
// Triangles too many for one draw call are first put in a spatial order, so
// that the draw calls cover compact patches however the list was ordered;
// lines keep their order.
// The bounding box is kept as given; it is not computed from the vertices.
// The vertex input is {"position", "normal"}, three floats each.

#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/Simulation/IGeometry.h>
#include <Korvex/Rendering/array_view.h>
#include <Korvex/Rendering/boundingbox.h>

#include <array>
#include <cstdint>
#include <memory>

namespace Korvex::Rendering {

// Every three vertices make a triangle; a trailing remainder is ignored.
std::shared_ptr<IGeometry> BuildTriangleGeometry(IGpu& gpu, array_view<const VertexPN> triangleVertices,
                                                 const boundingbox<float, 3>& box);

// Every two vertices make a line segment; a trailing remainder is ignored.
std::shared_ptr<IGeometry> BuildLineGeometry(IGpu& gpu, array_view<const VertexPN> lineVertices,
                                             const boundingbox<float, 3>& box);

// Indexed forms: indices (any number; a trailing remainder is ignored) select
// positions and, when normals is not empty, the normal of the same number;
// with no normals every normal is zero. Each position (with its normal) is
// compared once, however many indices share it. An index past the positions raises
// std::out_of_range, a normals list of another length std::invalid_argument,
// in either case before the device is called.
std::shared_ptr<IGeometry> BuildTriangleGeometry(IGpu& gpu, array_view<const std::array<float, 3>> positions,
                                                 array_view<const std::array<float, 3>> normals,
                                                 array_view<const std::uint32_t> indices,
                                                 const boundingbox<float, 3>& box);
std::shared_ptr<IGeometry> BuildLineGeometry(IGpu& gpu, array_view<const std::array<float, 3>> positions,
                                             array_view<const std::array<float, 3>> normals,
                                             array_view<const std::uint32_t> indices,
                                             const boundingbox<float, 3>& box);

}  // namespace Korvex::Rendering
