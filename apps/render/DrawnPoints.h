#pragma once

#include "ScenePlan.h"

#include <UniformField.h>

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/boundingbox.h>

#include <vector>

namespace Korvex::App {

// Points whose hull holds what the plan's layers draw: the corners of their
// triangles, lines and voxels, moved as the meshes move them (the layer's
// deformation times the displacement, interpolated as the GPU does) and kept
// where every clip plane keeps them, and the points where their edges cross
// a plane, which outline the cuts and their caps. Voxels beyond
// kMaxFramedVoxels are framed by the box of their cells.
std::vector<Rendering::KxVector3d> DrawnPoints(const ScenePlan& plan, const Fields::UniformField& field);

inline constexpr std::size_t kMaxFramedVoxels = 20000;

// Where a capped surface with clip planes lies whole, clipped parts
// included: its caps are found by counting all of it in depth, so the
// camera's depth range must hold it. The corners of the box of the cells
// widened by the largest displacement; empty when no layer caps a cut.
std::vector<Rendering::KxVector3d> CappedSurfaceExtent(const ScenePlan& plan, const Fields::UniformField& field);

// Frames pictures that share one camera (the steps of a series) by extent,
// a box that holds all they draw, deformed: its polygons through the slice
// planes for undeformed slices, the box for the other layers, kept where
// each layer's clip planes keep them; its corners hold the depth range
// where CappedSurfaceExtent gives any.
void FrameExtent(ScenePlan& plan, const Rendering::boundingbox<double, 3>& extent);

}  // namespace Korvex::App
