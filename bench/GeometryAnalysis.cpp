#include "GeometryAnalysis.h"

#include "meshes/triangle/IndexedVertexContainerBuilder.h"

#include <RecordingDevice.h>

#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <span>

namespace Korvex::Rendering::bench {

namespace {

using Builder = detail::IndexedVertexContainerBuilder<VertexPN>;

// Transformed vertices of one draw call's 16-bit triangle list.
std::size_t TransformedVertices(const std::vector<std::uint8_t>& indexBytes, std::uint32_t firstIndex,
                                std::uint32_t indexCount) {
    std::vector<unsigned> indices(indexCount);
    for (std::uint32_t i = 0; i < indexCount; ++i) {
        std::uint16_t index;
        std::memcpy(&index, indexBytes.data() + 2 * (std::size_t{firstIndex} + i), sizeof index);
        indices[i] = index;
    }
    const unsigned vertexCount = indices.empty() ? 0 : *std::max_element(indices.begin(), indices.end()) + 1;
    return meshopt_analyzeVertexCache(indices.data(), indices.size(), vertexCount, kAcmrCacheSize, 0, 0)
        .vertices_transformed;
}

}  // namespace

BuiltGeometry AnalyzeBuild(array_view<const VertexPN> vertices, std::uint32_t verticesPerPrimitive, bool reorder) {
    RecordingDevice device;
    Builder::Container buffers;
    {
        Builder builder(device, buffers, verticesPerPrimitive, reorder);
        builder.AddPrimitives(std::span(vertices.data(), vertices.size()));
        builder.Finish();
    }

    BuiltGeometry built;
    built.primitives = vertices.size() / verticesPerPrimitive;
    built.buffers = buffers.size();
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation != "CreateBuffer") continue;
        const BufferDesc& desc = call.As<BufferDesc>();
        (desc.usage == kBufferUsageIndex ? built.indexBytes : built.vertexBytes) += desc.size;
    }
    std::size_t transformed = 0;
    for (const auto& buffer : buffers) {
        const std::vector<std::uint8_t>& indexBytes = device.BufferBytes(buffer.indexBuffer.Get());
        buffer.ForEachDraw([&](const VertexBufferIds&, BufferId, std::uint32_t, std::uint32_t indexCount,
                               std::uint32_t firstIndex, std::int32_t) {
            ++built.drawCalls;
            if (verticesPerPrimitive == 3) transformed += TransformedVertices(indexBytes, firstIndex, indexCount);
        });
    }
    if (verticesPerPrimitive == 3 && built.primitives != 0)
        built.acmr = static_cast<double>(transformed) / static_cast<double>(built.primitives);
    return built;
}

double Acmr(const std::vector<unsigned>& indices, std::size_t vertexCount) {
    return meshopt_analyzeVertexCache(indices.data(), indices.size(), vertexCount, kAcmrCacheSize, 0, 0).acmr;
}

}  // namespace Korvex::Rendering::bench
