#pragma once

#include "meshes/triangle/ClosedSurfaceCheck.h"
#include "meshes/triangle/IndexedVertexBuffer.h"
#include "meshes/triangle/VertexPNHash.h"

#include <Korvex/Rendering/Gpu/IGpu.h>

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace Korvex::Rendering::detail {

// Turns a list of primitives into deduplicated, 16-bit indexed draw calls of
// at most 65,535 vertices, over as many buffers as the device's buffer size
// limit requires, appended to the output container. Each draw call is
// reordered for the post-transform vertex cache (triangles only; a line list
// keeps its order) and its vertices renumbered by first use, the draw calls
// of a buffer in parallel.
//
// Use: construct, AddPrimitives any number of times, Finish. A builder
// destroyed without Finish delivers what Finish would, unless it is destroyed
// by an exception raised during its life: the output is then being abandoned
// and nothing more reaches the device. The destructor cannot pass failures on
// (std::bad_alloc, or a device that throws from CreateBuffer): such a failure
// there ends the process through std::terminate, so call Finish to receive it.
// After any exception the builder is left valid: every index refers to a
// stored vertex, though the primitive being added may be incomplete.
template <class Vertex>
class IndexedVertexContainerBuilder {
public:
    using Buffer = IndexedVertexBuffer<IndexedDrawCall>;
    using Container = VertexContainer<Buffer>;

    static constexpr std::uint32_t kMaxDrawCallVertices = 65535;  // local index 65,535 is never produced
    static constexpr std::uint16_t kVertexCacheSize = 32;

    // verticesPerPrimitive: 3 for triangle lists, 2 for line lists (others
    // raise std::invalid_argument before the device is queried).
    IndexedVertexContainerBuilder(IGpu& device, Container& container, std::uint32_t primitiveSize = 3,
                                  bool optimizeDrawCalls = true);
    IndexedVertexContainerBuilder(const IndexedVertexContainerBuilder&) = delete;
    IndexedVertexContainerBuilder& operator=(const IndexedVertexContainerBuilder&) = delete;
    ~IndexedVertexContainerBuilder();

    // Whole primitives only; a trailing remainder is ignored.
    void AddPrimitives(std::span<const Vertex> primitives);
    void Finish();
    // Whether the triangles added so far enclose a volume (ClosedSurfaceCheck);
    // false for lines.
    bool IsClosed() const { return verticesPerPrimitive == 3 && surface.IsClosed(); }

private:
    void AddVertex(const Vertex& vertex);
    void CloseDrawCall();
    void FlushBuffers();
    void OptimizeDrawCall(std::size_t drawCallIndex);

    IGpu* gpu;
    Container* output;
    bool optimize;
    std::uint32_t verticesPerPrimitive;
    std::uint64_t maxVertices;
    std::uint64_t maxIndices;
    // The pending buffer.
    std::vector<Vertex> vertices;
    std::vector<std::uint16_t> indices;
    std::vector<IndexedDrawCall> drawCalls;
    std::vector<std::uint32_t> drawCallVertexCounts;
    // Vertices of the open draw call; localVertexCount also counts those kept
    // out of the dictionary (a NaN component never matches).
    std::unordered_map<Vertex, std::uint16_t, VertexHash<Vertex>, VertexEqual<Vertex>> vertexDictionary;
    std::uint16_t localVertexCount = 0;
    ClosedSurfaceCheck surface;
    int uncaughtExceptionsAtConstruction;
};

}  // namespace Korvex::Rendering::detail
