#pragma once

// The inputs the benchmarks draw and build: a closed sphere surface, cell
// edges, a block of voxels and smooth fields over the unit box, and the
// meshes made from them as a host would set them up.

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <cstddef>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Korvex::Rendering::bench {

using Box = boundingbox<float, 3>;
inline const Box kUnitBox{{0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}};

// A UV sphere around the box centre as a triangle soup, three vertices per
// triangle, normals radial, triangles row by row: 2 x stacks x slices of them.
std::vector<VertexPN> SphereSoup(std::size_t stacks, std::size_t slices);
// The million-triangle sphere (500 stacks, 1000 slices), made once.
const std::vector<VertexPN>& MillionTriangleSphere();
// The same triangles in a fixed random order.
std::vector<VertexPN> ShuffledTriangles(const std::vector<VertexPN>& soup);

// A square of quadsPerSide^2 quads, two triangles each, in the plane z = 0.5
// across the unit box, normals +z, as a host hands indexed data over: one
// position and normal per grid node, three indices per triangle.
struct IndexedSurface {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::uint32_t> indices;
};
IndexedSurface QuadPlane(std::size_t quadsPerSide);
// The plane that other renderers publish frame times for: 708 x 708 quads
// (1,002,528 triangles), made once.
const IndexedSurface& MillionTrianglePlane();

// The first lineCount edges of a lattice of 33 x 33 x 33 nodes over the unit
// box (104,544 edges), two vertices per line.
std::vector<VertexPN> LatticeLines(std::size_t lineCount);

// Every cell of a block of cellsPerAxis^3 cells, packed as ix + 1024 iy +
// 1048576 iz; drawn over a grid of cellsPerAxis + 1 samples per axis.
std::vector<std::uint32_t> VoxelBlock(std::uint32_t cellsPerAxis);

struct GridInputs {
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
};
// A linear scalar field and a wavy displacement field, samplesPerAxis^3 each.
GridInputs MakeGrids(IGpu& gpu, std::size_t samplesPerAxis);
std::vector<float> ScalarField(std::size_t samplesPerAxis);
std::vector<Vector3f> VectorField(std::size_t samplesPerAxis);

struct CameraMatrices {
    KxTransformMatrix view;
    KxTransformMatrix projection;
};
// A perspective view of the whole unit box for a target of width x height.
CameraMatrices ViewOfUnitBox(std::uint32_t width, std::uint32_t height);

// Straight at the plane z = 0.5 from +z, the plane filling the height of
// the image and about two thirds of a 16:9 one.
CameraMatrices ViewOfPlane(std::uint32_t width, std::uint32_t height);

// How a mesh is set up: Deformed attaches the displacements with factor 0.5,
// Capped cuts with two planes and keeps capping on, Wireframe (voxels) turns
// the overlay on, ClippedThrice cuts with three planes and capping off.
// Plain attaches no displacements.
enum class Look { Plain, Deformed, Capped, Wireframe, ClippedThrice };

std::unique_ptr<ITriangleGridMesh> MakeSurface(IGpu& gpu, std::shared_ptr<IGeometry> geometry,
                                               const GridInputs& grids, Look look, const CameraMatrices& camera);
std::unique_ptr<ILineGridMesh> MakeLines(IGpu& gpu, std::shared_ptr<IGeometry> geometry, const GridInputs& grids,
                                         Look look, const CameraMatrices& camera);
std::unique_ptr<IVoxelGridMesh> MakeVoxels(IGpu& gpu, const std::vector<std::uint32_t>& voxels,
                                           const GridInputs& grids, Look look, const CameraMatrices& camera);

// A mesh of one kind over a few primitives, all in one draw call, for what a
// draw costs apart from its size: a small sphere, 100 lattice edges, or every
// cell of the grids.
enum class MeshKind { Line, Triangle, Voxel };
std::unique_ptr<IRenderable> MakeSmallMesh(IGpu& gpu, MeshKind kind, Look look, const GridInputs& grids,
                                           const CameraMatrices& camera);

}  // namespace Korvex::Rendering::bench
