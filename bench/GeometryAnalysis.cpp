#include "GeometryAnalysis.h"

#include "meshes/triangle/VertexPNGeometry.h"

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>

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

BuiltGeometry AnalyzeBuild(array_view<const VertexPN> vertices, std::uint32_t verticesPerPrimitive, BuildPath path) {
    RecordingDevice device;
    std::shared_ptr<IGeometry> geometry;
    const boundingbox<float, 3> box;
    if (path == BuildPath::Public) {
        geometry = verticesPerPrimitive == 3 ? BuildTriangleGeometry(device, vertices, box)
                                             : BuildLineGeometry(device, vertices, box);
    } else {
        Builder::Container buffers;
        {
            Builder builder(device, buffers, verticesPerPrimitive, false);
            builder.AddPrimitives(std::span(vertices.data(), vertices.size()));
            builder.Finish();
        }
        geometry = std::make_shared<detail::IndexedGeometry>(std::move(buffers), box, detail::VertexPNInputState(),
                                                             std::string());
    }

    BuiltGeometry built;
    built.primitives = vertices.size() / verticesPerPrimitive;
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation != "CreateBuffer") continue;
        const BufferDesc& desc = call.As<BufferDesc>();
        (desc.usage == kBufferUsageIndex ? built.indexBytes : built.vertexBytes) += desc.size;
        built.buffers += desc.usage == kBufferUsageIndex ? 1 : 0;
    }
    device.ClearCalls();
    geometry->SubmitDraws(device);
    std::size_t transformed = 0;
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation != "DrawIndexed") continue;
        const DrawArguments& draw = call.As<DrawArguments>();
        ++built.drawCalls;
        if (verticesPerPrimitive == 3)
            transformed += TransformedVertices(device.BufferBytes(draw.indexBuffer), draw.firstIndex, draw.indexCount);
    }
    if (verticesPerPrimitive == 3 && built.primitives != 0)
        built.acmr = static_cast<double>(transformed) / static_cast<double>(built.primitives);
    return built;
}

double Acmr(const std::vector<unsigned>& indices, std::size_t vertexCount) {
    return meshopt_analyzeVertexCache(indices.data(), indices.size(), vertexCount, kAcmrCacheSize, 0, 0).acmr;
}

}  // namespace Korvex::Rendering::bench
