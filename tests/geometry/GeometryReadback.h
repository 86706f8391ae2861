#pragma once

// Reads back what a geometry draws on the recording device: each recorded
// DrawIndexed with its indices and the vertex records they select, taken
// from the bytes the buffers were created with.

#include "RecordingDevice.h"

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace Korvex::Rendering::test {

using Record = std::array<float, 6>;  // position, normal
using Primitive = std::vector<Record>;

inline Record RecordOf(const VertexPN& vertex) {
    return {vertex.position[0], vertex.position[1], vertex.position[2],
            vertex.normal[0],   vertex.normal[1],   vertex.normal[2]};
}

template <class T>
std::vector<T> BufferContents(const RecordingDevice& device, BufferId buffer) {
    const std::vector<std::uint8_t>& bytes = device.BufferBytes(buffer);
    std::vector<T> values(bytes.size() / sizeof(T));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

struct DrawnCall {
    DrawArguments arguments;
    std::vector<std::uint16_t> indices;  // the call's own, as stored
    std::vector<Primitive> primitives;   // in draw order
};

// Throws std::out_of_range where an index leaves its buffers.
inline std::vector<DrawnCall> ReadDrawnCalls(const RecordingDevice& device, std::uint32_t verticesPerPrimitive) {
    std::vector<DrawnCall> drawn;
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation != "DrawIndexed") continue;
        DrawnCall result{call.As<DrawArguments>(), {}, {}};
        const auto& arguments = result.arguments;
        const auto allIndices = BufferContents<std::uint16_t>(device, arguments.indexBuffer);
        const auto vertices = BufferContents<VertexPN>(device, arguments.vertexBuffers[0]);
        for (std::uint32_t i = 0; i < arguments.indexCount; ++i)
            result.indices.push_back(allIndices.at(arguments.firstIndex + i));
        for (std::size_t first = 0; first + verticesPerPrimitive <= result.indices.size();
             first += verticesPerPrimitive) {
            Primitive primitive;
            for (std::size_t k = first; k < first + verticesPerPrimitive; ++k)
                primitive.push_back(RecordOf(vertices.at(std::size_t(arguments.baseVertex) + result.indices[k])));
            result.primitives.push_back(primitive);
        }
        drawn.push_back(std::move(result));
    }
    return drawn;
}

// Every primitive the geometry draws, in draw order.
inline std::vector<Primitive> DrawnPrimitives(RecordingDevice& device, IGeometry& geometry,
                                              std::uint32_t verticesPerPrimitive) {
    device.ClearCalls();
    geometry.SubmitDraws(device);
    std::vector<Primitive> all;
    for (DrawnCall& call : ReadDrawnCalls(device, verticesPerPrimitive))
        all.insert(all.end(), call.primitives.begin(), call.primitives.end());
    return all;
}

inline std::vector<Primitive> PrimitivesOf(std::span<const VertexPN> vertices, std::uint32_t verticesPerPrimitive) {
    std::vector<Primitive> primitives;
    for (std::size_t first = 0; first + verticesPerPrimitive <= vertices.size(); first += verticesPerPrimitive) {
        Primitive primitive;
        for (std::size_t k = first; k < first + verticesPerPrimitive; ++k) primitive.push_back(RecordOf(vertices[k]));
        primitives.push_back(primitive);
    }
    return primitives;
}

inline std::vector<Primitive> Sorted(std::vector<Primitive> primitives) {
    std::sort(primitives.begin(), primitives.end());
    return primitives;
}

// True where each index is either one already seen or the next unused number.
inline bool NumberedByFirstUse(std::span<const std::uint16_t> indices) {
    std::uint32_t next = 0;
    for (const std::uint16_t index : indices) {
        if (index > next) return false;
        if (index == next) ++next;
    }
    return true;
}

}  // namespace Korvex::Rendering::test
