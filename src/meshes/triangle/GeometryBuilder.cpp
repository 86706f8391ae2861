#include <Korvex/Rendering/Simulation/GeometryBuilder.h>

#include "meshes/triangle/SpatialOrder.h"
#include "meshes/triangle/VertexDictionary.h"
#include "meshes/triangle/VertexPNGeometry.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace Korvex::Rendering {

namespace {

using Builder = detail::IndexedVertexContainerBuilder<VertexPN>;

constexpr std::uint32_t kLineVertices = 2;
constexpr std::uint32_t kTriangleVertices = 3;
// Triangles are reordered (SpatialOrder) when they may need more than one
// draw call: the calls then split the surface into compact patches, however
// the host ordered it, and share few vertices. Lines keep their order.
bool ReordersTriangles(std::uint32_t verticesPerPrimitive, std::size_t vertexCount) {
    return verticesPerPrimitive == kTriangleVertices && vertexCount > Builder::kMaxDrawCallVertices;
}

template <class CornerPosition>
std::vector<std::uint32_t> TriangleOrder(std::size_t triangleCount, CornerPosition&& corner) {
    std::vector<std::array<float, 3>> centroids(triangleCount);
    for (std::size_t t = 0; t < triangleCount; ++t)
        for (std::size_t axis = 0; axis < 3; ++axis)
            centroids[t][axis] = corner(3 * t)[axis] + corner(3 * t + 1)[axis] + corner(3 * t + 2)[axis];
    return detail::SpatialOrder(centroids);
}

std::shared_ptr<IGeometry> BuildFromList(IGpu& gpu, array_view<const VertexPN> vertices,
                                         std::uint32_t verticesPerPrimitive, const boundingbox<float, 3>& box) {
    const std::span<const VertexPN> list(vertices.data(), vertices.size() - vertices.size() % verticesPerPrimitive);
    return detail::BuildVertexPNGeometry(gpu, verticesPerPrimitive, box, [&](Builder& builder) {
        if (!ReordersTriangles(verticesPerPrimitive, list.size())) {
            builder.AddPrimitives(list);
            return;
        }
        builder.AddPrimitivesInOrder(list,
                                     TriangleOrder(list.size() / 3, [&](std::size_t i) { return list[i].position; }));
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

// The host's vertices with equal ones merged (NaN never merges), and for
// each host vertex its number in that list: every vertex is compared once,
// however many indices share it.
struct MergedVertices {
    std::vector<VertexPN> vertices;
    std::vector<std::uint32_t> numberOf;
};
MergedVertices Merge(array_view<const std::array<float, 3>> positions, array_view<const std::array<float, 3>> normals) {
    const auto vertexAt = [&](std::size_t i) {
        VertexPN vertex{};
        std::copy_n(positions[i].begin(), 3, vertex.position);
        if (!normals.empty()) std::copy_n(normals[i].begin(), 3, vertex.normal);
        return vertex;
    };
    MergedVertices merged;
    merged.vertices.reserve(positions.size());
    merged.numberOf.resize(positions.size());
    detail::VertexDictionary<VertexPN> dictionary;
    dictionary.Reserve(positions.size(), merged.vertices.data());
    // Memory latency bounds the lookups: those a few vertices ahead start early.
    constexpr std::size_t kLookAhead = 8;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (i + kLookAhead < positions.size()) dictionary.Prefetch(vertexAt(i + kLookAhead));
        const VertexPN vertex = vertexAt(i);
        const auto number = static_cast<std::uint32_t>(merged.vertices.size());
        if (detail::VertexEqual<VertexPN>{}(vertex, vertex)) {
            const auto probe = dictionary.Find(vertex, merged.vertices.data());
            if (probe.found) {
                merged.numberOf[i] = probe.id;
                continue;
            }
            dictionary.Add(probe, number);
        }
        merged.vertices.push_back(vertex);
        merged.numberOf[i] = number;
    }
    return merged;
}

std::shared_ptr<IGeometry> BuildFromIndexed(const char* function, IGpu& gpu,
                                            array_view<const std::array<float, 3>> positions,
                                            array_view<const std::array<float, 3>> normals,
                                            array_view<const std::uint32_t> indices,
                                            std::uint32_t verticesPerPrimitive, const boundingbox<float, 3>& box) {
    CheckIndexed(function, positions, normals, indices);
    const std::span<const std::uint32_t> list(indices.data(), indices.size() - indices.size() % verticesPerPrimitive);
    const MergedVertices merged = Merge(positions, normals);
    std::vector<std::uint32_t> order(list.size() / verticesPerPrimitive);
    if (ReordersTriangles(verticesPerPrimitive, list.size()))
        order = TriangleOrder(order.size(), [&](std::size_t i) { return positions[list[i]]; });
    else
        std::iota(order.begin(), order.end(), 0u);
    std::vector<std::uint32_t> numbers;
    numbers.reserve(list.size());
    for (const std::uint32_t primitive : order)
        for (std::size_t k = 0; k < verticesPerPrimitive; ++k)
            numbers.push_back(merged.numberOf[list[verticesPerPrimitive * primitive + k]]);
    return detail::BuildVertexPNGeometry(gpu, verticesPerPrimitive, box, [&](Builder& builder) {
        builder.AddIndexedPrimitives(merged.vertices, numbers);
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
