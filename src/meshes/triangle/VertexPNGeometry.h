#pragma once

#include "meshes/triangle/Geometry.h"
#include "meshes/triangle/IndexedVertexBuffer.h"
#include "meshes/triangle/IndexedVertexContainerBuilder.h"

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace Korvex::Rendering::detail {

using IndexedGeometry = Geometry<VertexContainer<IndexedVertexBuffer<IndexedDrawCall>>>;

// VertexPN records in one buffer: position at byte 0, normal at byte 12.
constexpr VertexInputState VertexPNInputState() {
    VertexInputState input{};
    input[0].name = "position";
    input[0].format = kFormatRgb32Float;
    input[1].name = "normal";
    input[1].format = kFormatRgb32Float;
    return input;
}

// Builds an unnamed geometry from what addPrimitives(builder) adds, in
// primitives of verticesPerPrimitive (3: triangle list, 2: line list).
template <class AddPrimitives>
std::shared_ptr<IGeometry> BuildVertexPNGeometry(IGpu& gpu, std::uint32_t verticesPerPrimitive,
                                                 const boundingbox<float, 3>& box, AddPrimitives&& addPrimitives) {
    IndexedVertexContainerBuilder<VertexPN>::Container buffers;
    bool closed = false;
    float longestEdge = 0.0f;
    {
        IndexedVertexContainerBuilder<VertexPN> builder(gpu, buffers, verticesPerPrimitive);
        addPrimitives(builder);
        builder.Finish();
        closed = builder.IsClosed();
        longestEdge = builder.LongestEdge();
    }
    return std::make_shared<IndexedGeometry>(std::move(buffers), box, VertexPNInputState(), std::string(), closed,
                                             longestEdge);
}

}  // namespace Korvex::Rendering::detail
