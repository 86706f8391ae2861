#pragma once

#include "meshes/triangle/TriangleConstants.h"

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/ClipPlane.h>
#include <Korvex/Rendering/Simulation/IGeometry.h>
#include <Korvex/Rendering/boundingbox.h>

#include <array>

namespace Korvex::Rendering::detail {

// The quad caps are drawn on: a square in z = 0 around the origin, of side
// four box diagonals, so that placed anywhere in the box in any orientation
// it covers the box. Two triangles, normals (0, 0, -1).
std::array<VertexPN, 6> CapQuadVertices(const boundingbox<float, 3>& box);

// The world-space plane in model space: transpose(model) * plane.
Float4 PlaneToModel(const KxTransformMatrix& model, const ClipPlane& plane);

// The world-space plane, negated where needed so that its positive side is
// the one away from the eye of view and projection (a perspective or an
// orthographic camera whose depth grows away from the eye).
Float4 PlaneFacingAwayFromEye(const ClipPlane& plane, const KxTransformMatrix& view,
                              const KxTransformMatrix& projection);

// Places the cap quad in plane (unit_plane_matrix: its z axis onto the
// plane's unit normal, its centre where the box's axis line closest to the
// normal meets the plane) and writes the transforms. Exact for planes whose
// model-space normal has unit length; the offset is not rescaled.
void ComputeCapConstants(TriangleConstants& constants, const ClipPlane& plane, const boundingbox<float, 3>& box,
                         const KxTransformMatrix& model, const KxTransformMatrix& view,
                         const KxTransformMatrix& projection);

// Shrinks the placed quad (unit_plane_matrix, as ComputeCapConstants left it)
// to the rectangle in its plane around where the plane cuts the box, a
// little larger: rasterising the rest of a quad four diagonals wide cost a
// fifth of a frame. Nothing of the quad remains where the plane misses the
// box.
void FitCapToBox(TriangleConstants& constants, const boundingbox<float, 3>& box);

}  // namespace Korvex::Rendering::detail
