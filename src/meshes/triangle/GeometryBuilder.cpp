#include <Korvex/Rendering/Simulation/GeometryBuilder.h>

#include "meshes/triangle/VertexPNGeometry.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace Korvex::Rendering {

namespace {

constexpr std::uint32_t kLineVertices = 2;
constexpr std::uint32_t kTriangleVertices = 3;
// Indexed input is expanded a slice at a time rather than all at once; a
// whole number of lines and of triangles.
constexpr std::size_t kExpansionSlice = 6 * 1024;

std::shared_ptr<IGeometry> BuildFromList(IGpu& gpu, array_view<const VertexPN> vertices,
                                         std::uint32_t verticesPerPrimitive, const boundingbox<float, 3>& box) {
    return detail::BuildVertexPNGeometry(gpu, verticesPerPrimitive, box, [&](auto& builder) {
        builder.AddPrimitives(std::span(vertices.data(), vertices.size()));
    });
}

void CheckIndexed(const char* function, array_view<const std::array<float, 3>> positions,
                  array_view<const std::array<float, 3>> normals, array_view<const std::uint32_t> indices) {
    if (!normals.empty() && normals.size() != positions.size())
        throw std::invalid_argument(std::string(function) + "(): " + std::to_string(normals.size()) +
                                    " normals for " + std::to_string(positions.size()) + " positions");
    const auto outside = std::find_if(indices.begin(), indices.end(),
                                      [&](std::uint32_t index) { return index >= positions.size(); });
    if (outside != indices.end())
        throw std::out_of_range(std::string(function) + "(): index " + std::to_string(*outside) +
                                " is past the " + std::to_string(positions.size()) + " positions");
}

std::shared_ptr<IGeometry> BuildFromIndexed(const char* function, IGpu& gpu,
                                            array_view<const std::array<float, 3>> positions,
                                            array_view<const std::array<float, 3>> normals,
                                            array_view<const std::uint32_t> indices,
                                            std::uint32_t verticesPerPrimitive, const boundingbox<float, 3>& box) {
    CheckIndexed(function, positions, normals, indices);
    const std::size_t used = indices.size() - indices.size() % verticesPerPrimitive;
    return detail::BuildVertexPNGeometry(gpu, verticesPerPrimitive, box, [&](auto& builder) {
        std::vector<VertexPN> slice;
        slice.reserve(std::min(used, kExpansionSlice));
        for (std::size_t first = 0; first < used; first += kExpansionSlice) {
            slice.clear();
            for (std::size_t i = first; i < std::min(used, first + kExpansionSlice); ++i) {
                const std::uint32_t index = indices[i];
                VertexPN vertex{};
                std::copy_n(positions[index].begin(), 3, vertex.position);
                if (!normals.empty()) std::copy_n(normals[index].begin(), 3, vertex.normal);
                slice.push_back(vertex);
            }
            builder.AddPrimitives(slice);
        }
    });
}

}  // namespace

std::shared_ptr<IGeometry> BuildTriangleGeometry(IGpu& gpu, array_view<const VertexPN> triangleVertices,
                                                 const boundingbox<float, 3>& box) {
    return BuildFromList(gpu, triangleVertices, kTriangleVertices, box);
}

std::shared_ptr<IGeometry> BuildLineGeometry(IGpu& gpu, array_view<const VertexPN> lineVertices,
                                             const boundingbox<float, 3>& box) {
    return BuildFromList(gpu, lineVertices, kLineVertices, box);
}

std::shared_ptr<IGeometry> BuildTriangleGeometry(IGpu& gpu, array_view<const std::array<float, 3>> positions,
                                                 array_view<const std::array<float, 3>> normals,
                                                 array_view<const std::uint32_t> indices,
                                                 const boundingbox<float, 3>& box) {
    return BuildFromIndexed("BuildTriangleGeometry", gpu, positions, normals, indices, kTriangleVertices, box);
}

std::shared_ptr<IGeometry> BuildLineGeometry(IGpu& gpu, array_view<const std::array<float, 3>> positions,
                                             array_view<const std::array<float, 3>> normals,
                                             array_view<const std::uint32_t> indices,
                                             const boundingbox<float, 3>& box) {
    return BuildFromIndexed("BuildLineGeometry", gpu, positions, normals, indices, kLineVertices, box);
}

}  // namespace Korvex::Rendering
