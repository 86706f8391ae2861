#include "Scenes.h"

#include <Camera.h>
#include <Korvex/Rendering/Simulation/GeometryBuilder.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>

namespace Korvex::Rendering::bench {

namespace {

constexpr double kSphereRadius = 0.45;
constexpr std::size_t kLatticeNodes = 33;
constexpr float kDisplacementAmplitude = 0.05f;
constexpr float kDeformation = 0.5f;
constexpr std::uint32_t kVoxelRowStride = 1024;
constexpr std::uint32_t kVoxelSliceStride = 1024 * 1024;

VertexPN SpherePoint(std::size_t stack, std::size_t slice, std::size_t stacks, std::size_t slices) {
    const double theta = std::numbers::pi * static_cast<double>(stack) / static_cast<double>(stacks);
    const double phi = 2.0 * std::numbers::pi * static_cast<double>(slice % slices) / static_cast<double>(slices);
    // Exact poles, so that every slice meets there in one shared vertex.
    const double sinTheta = (stack == 0 || stack == stacks) ? 0.0 : std::sin(theta);
    const double cosTheta = stack == 0 ? 1.0 : stack == stacks ? -1.0 : std::cos(theta);
    const std::array<double, 3> normal{sinTheta * std::cos(phi), cosTheta, sinTheta * std::sin(phi)};
    VertexPN vertex;
    for (std::size_t i = 0; i < 3; ++i) {
        vertex.position[i] = static_cast<float>(0.5 + kSphereRadius * normal[i]);
        vertex.normal[i] = static_cast<float>(normal[i]);
    }
    return vertex;
}

VertexPN LatticeNode(std::size_t x, std::size_t y, std::size_t z) {
    const auto coordinate = [](std::size_t i) { return static_cast<float>(i) / float{kLatticeNodes - 1}; };
    return VertexPN{{coordinate(x), coordinate(y), coordinate(z)}, {0.0f, 0.0f, 1.0f}};
}

// Sample i of n along an axis of the unit box.
float SampleCoordinate(std::size_t i, std::size_t n) {
    return n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
}

template <class Mesh>
void SetView(Mesh& mesh, const CameraMatrices& camera) {
    mesh.SetViewProjection(camera.view, camera.projection);
}

}  // namespace

std::vector<VertexPN> SphereSoup(std::size_t stacks, std::size_t slices) {
    std::vector<VertexPN> soup;
    soup.reserve(6 * stacks * slices);
    for (std::size_t stack = 0; stack < stacks; ++stack) {
        for (std::size_t slice = 0; slice < slices; ++slice) {
            const VertexPN a = SpherePoint(stack, slice, stacks, slices);
            const VertexPN b = SpherePoint(stack + 1, slice, stacks, slices);
            const VertexPN c = SpherePoint(stack + 1, slice + 1, stacks, slices);
            const VertexPN d = SpherePoint(stack, slice + 1, stacks, slices);
            // Counter-clockwise seen from outside; the capping count relies on it.
            soup.insert(soup.end(), {a, c, b, a, d, c});
        }
    }
    return soup;
}

const std::vector<VertexPN>& MillionTriangleSphere() {
    static const std::vector<VertexPN> soup = SphereSoup(500, 1000);
    return soup;
}

std::vector<VertexPN> ShuffledTriangles(const std::vector<VertexPN>& soup) {
    std::vector<std::size_t> order(soup.size() / 3);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::shuffle(order.begin(), order.end(), std::mt19937_64(20240611));
    std::vector<VertexPN> shuffled;
    shuffled.reserve(order.size() * 3);
    for (std::size_t triangle : order)
        shuffled.insert(shuffled.end(), soup.begin() + static_cast<std::ptrdiff_t>(3 * triangle),
                        soup.begin() + static_cast<std::ptrdiff_t>(3 * triangle + 3));
    return shuffled;
}

IndexedSurface QuadPlane(std::size_t quadsPerSide) {
    const std::size_t nodes = quadsPerSide + 1;
    IndexedSurface plane;
    plane.positions.reserve(nodes * nodes);
    for (std::size_t y = 0; y < nodes; ++y)
        for (std::size_t x = 0; x < nodes; ++x)
            plane.positions.push_back({SampleCoordinate(x, nodes), SampleCoordinate(y, nodes), 0.5f});
    plane.normals.assign(plane.positions.size(), {0.0f, 0.0f, 1.0f});
    plane.indices.reserve(6 * quadsPerSide * quadsPerSide);
    for (std::size_t y = 0; y < quadsPerSide; ++y)
        for (std::size_t x = 0; x < quadsPerSide; ++x) {
            const auto node = [&](std::size_t i, std::size_t j) { return static_cast<std::uint32_t>(i + nodes * j); };
            plane.indices.insert(plane.indices.end(), {node(x, y), node(x + 1, y), node(x + 1, y + 1), node(x, y),
                                                       node(x + 1, y + 1), node(x, y + 1)});
        }
    return plane;
}

const IndexedSurface& MillionTrianglePlane() {
    static const IndexedSurface plane = QuadPlane(708);
    return plane;
}

std::vector<VertexPN> LatticeLines(std::size_t lineCount) {
    std::vector<VertexPN> lines;
    lines.reserve(2 * lineCount);
    const std::size_t last = kLatticeNodes - 1;
    for (std::size_t z = 0; z < kLatticeNodes; ++z) {
        for (std::size_t y = 0; y < kLatticeNodes; ++y) {
            for (std::size_t x = 0; x < kLatticeNodes; ++x) {
                const VertexPN node = LatticeNode(x, y, z);
                if (x < last) lines.insert(lines.end(), {node, LatticeNode(x + 1, y, z)});
                if (y < last) lines.insert(lines.end(), {node, LatticeNode(x, y + 1, z)});
                if (z < last) lines.insert(lines.end(), {node, LatticeNode(x, y, z + 1)});
            }
        }
    }
    lines.resize(std::min(lines.size(), 2 * lineCount));
    return lines;
}

std::vector<std::uint32_t> VoxelBlock(std::uint32_t cellsPerAxis) {
    std::vector<std::uint32_t> voxels;
    voxels.reserve(std::size_t{cellsPerAxis} * cellsPerAxis * cellsPerAxis);
    for (std::uint32_t z = 0; z < cellsPerAxis; ++z)
        for (std::uint32_t y = 0; y < cellsPerAxis; ++y)
            for (std::uint32_t x = 0; x < cellsPerAxis; ++x)
                voxels.push_back(x + kVoxelRowStride * y + kVoxelSliceStride * z);
    return voxels;
}

std::vector<float> ScalarField(std::size_t samplesPerAxis) {
    const std::size_t n = samplesPerAxis;
    std::vector<float> values;
    values.reserve(n * n * n);
    for (std::size_t z = 0; z < n; ++z)
        for (std::size_t y = 0; y < n; ++y)
            for (std::size_t x = 0; x < n; ++x)
                values.push_back(SampleCoordinate(x, n) + 0.5f * SampleCoordinate(y, n) +
                                 0.25f * SampleCoordinate(z, n));
    return values;
}

std::vector<Vector3f> VectorField(std::size_t samplesPerAxis) {
    const std::size_t n = samplesPerAxis;
    const auto wave = [](float t) { return kDisplacementAmplitude * std::sin(2.0f * std::numbers::pi_v<float> * t); };
    std::vector<Vector3f> vectors;
    vectors.reserve(n * n * n);
    for (std::size_t z = 0; z < n; ++z)
        for (std::size_t y = 0; y < n; ++y)
            for (std::size_t x = 0; x < n; ++x)
                vectors.push_back({wave(SampleCoordinate(y, n)), wave(SampleCoordinate(z, n)),
                                   wave(SampleCoordinate(x, n))});
    return vectors;
}

GridInputs MakeGrids(IGpu& gpu, std::size_t samplesPerAxis) {
    const std::size_t n = samplesPerAxis;
    GridInputs grids{CreateScalarGrid(gpu), CreateVectorGrid(gpu)};
    grids.values->SetValues(n, n, n, ScalarField(n));
    grids.displacements->SetVectors(n, n, n, VectorField(n));
    return grids;
}

CameraMatrices ViewOfUnitBox(std::uint32_t width, std::uint32_t height) {
    const KxVector3d centre{0.5, 0.5, 0.5};
    const KxVector3d eye{centre.x + 1.4, centre.y + 1.1, centre.z + 1.9};
    const double aspect = static_cast<double>(width) / static_cast<double>(height);
    return {MakeLookAt(eye, centre, {0.0, 1.0, 0.0}), MakePerspective(std::numbers::pi / 4.0, aspect, 0.1, 10.0)};
}

CameraMatrices ViewOfPlane(std::uint32_t width, std::uint32_t height) {
    // The view's height is 0.864 of the plane's at the distance of 1.043:
    // 1,250 pixels of plane a side for a 1,080-pixel high image.
    constexpr double kFieldOfView = std::numbers::pi / 4.0;
    const double aspect = static_cast<double>(width) / static_cast<double>(height);
    return {MakeLookAt({0.5, 0.5, 0.5 + 1.043}, {0.5, 0.5, 0.5}, {0.0, 1.0, 0.0}),
            MakePerspective(kFieldOfView, aspect, 0.1, 10.0)};
}

std::unique_ptr<ITriangleGridMesh> MakeSurface(IGpu& gpu, std::shared_ptr<IGeometry> geometry,
                                               const GridInputs& grids, Look look, const CameraMatrices& camera) {
    std::unique_ptr<ITriangleGridMesh> mesh = CreateTriangleGridMesh(gpu);
    mesh->SetGeometry(geometry);
    mesh->SetGrids(grids.values, look == Look::Deformed ? grids.displacements : nullptr, kUnitBox);
    mesh->SetColorMap(GetRgbaColorMap(ColorMaps::Viridis));
    const ScalarGridTexture values = grids.values->GetTexture();
    mesh->SetValueRange(values.range_min, values.range_max);
    if (look == Look::Deformed) mesh->SetDeformation(kDeformation);
    if (look == Look::Capped) {
        const std::array<ClipPlane, 2> planes{ClipPlane{1.0f, 0.0f, 0.0f, -0.5f}, ClipPlane{0.0f, -1.0f, 0.0f, 0.6f}};
        mesh->SetClipPlanes(planes);
        mesh->SetCapping(true);
    }
    if (look == Look::ClippedThrice) {
        // Each cuts a corner or a side off: x >= 0.1, y <= 0.9, x + y <= 1.6.
        const std::array<ClipPlane, 3> planes{ClipPlane{1.0f, 0.0f, 0.0f, -0.1f}, ClipPlane{0.0f, -1.0f, 0.0f, 0.9f},
                                              ClipPlane{-0.70710678f, -0.70710678f, 0.0f, 1.1313708f}};
        mesh->SetClipPlanes(planes);
        mesh->SetCapping(false);
    }
    SetView(*mesh, camera);
    return mesh;
}

std::unique_ptr<ILineGridMesh> MakeLines(IGpu& gpu, std::shared_ptr<IGeometry> geometry, const GridInputs& grids,
                                         Look look, const CameraMatrices& camera) {
    std::unique_ptr<ILineGridMesh> mesh = CreateLineGridMesh(gpu);
    mesh->SetGeometry(geometry);
    mesh->SetGrids(grids.values, look == Look::Deformed ? grids.displacements : nullptr, kUnitBox);
    const std::array<std::uint8_t, 4> white{255, 255, 255, 255};
    mesh->SetColor(white);
    if (look == Look::Deformed) mesh->SetDeformation(kDeformation);
    SetView(*mesh, camera);
    return mesh;
}

std::unique_ptr<IVoxelGridMesh> MakeVoxels(IGpu& gpu, const std::vector<std::uint32_t>& voxels,
                                           const GridInputs& grids, Look look, const CameraMatrices& camera) {
    std::unique_ptr<IVoxelGridMesh> mesh = CreateVoxelGridMesh(gpu);
    mesh->SetVoxels(voxels);
    mesh->SetGrids(grids.values, look == Look::Deformed ? grids.displacements : nullptr, kUnitBox);
    mesh->SetColorMap(GetRgbaColorMap(ColorMaps::Viridis));
    const ScalarGridTexture values = grids.values->GetTexture();
    mesh->SetValueRange(values.range_min, values.range_max);
    if (look == Look::Deformed) mesh->SetDeformation(kDeformation);
    mesh->SetWireframe(look == Look::Wireframe);
    mesh->SetWireframeColor(0.0f, 0.0f, 0.0f, 1.0f);
    SetView(*mesh, camera);
    return mesh;
}

std::unique_ptr<IRenderable> MakeSmallMesh(IGpu& gpu, MeshKind kind, Look look, const GridInputs& grids,
                                           const CameraMatrices& camera) {
    switch (kind) {
        case MeshKind::Line:
            return MakeLines(gpu, BuildLineGeometry(gpu, LatticeLines(100), kUnitBox), grids, look, camera);
        case MeshKind::Triangle:
            return MakeSurface(gpu, BuildTriangleGeometry(gpu, SphereSoup(8, 16), kUnitBox), grids, look, camera);
        case MeshKind::Voxel: {
            // Cells lie between samples: one fewer per axis.
            const std::size_t samples = grids.values->GetTexture().dimensions[0];
            return MakeVoxels(gpu, VoxelBlock(static_cast<std::uint32_t>(samples - 1)), grids, look, camera);
        }
    }
    return nullptr;
}

}  // namespace Korvex::Rendering::bench
