#pragma once

#include "meshes/triangle/ClosedSurfaceCheck.h"
#include "meshes/triangle/IndexedVertexBuffer.h"
#include "meshes/triangle/VertexDictionary.h"

#include <Korvex/Rendering/Gpu/IGpu.h>

#include <cstdint>
#include <span>
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

    // Whole primitives only; a trailing remainder is ignored. Equal vertices
    // (VertexEqual) are stored once per draw call.
    void AddPrimitives(std::span<const Vertex> primitives);
    // The primitives of list (whole ones only) in the given order, each
    // number in order below the list's primitive count (checked by the caller).
    void AddPrimitivesInOrder(std::span<const Vertex> list, std::span<const std::uint32_t> order);
    // The same for primitives given by indices into vertices (whole
    // primitives; every index below vertices.size(), which the caller
    // checks). An index that the list repeats is stored once per draw call
    // without comparing vertices; equal vertices under different indices, and
    // vertices of earlier calls, stay apart, so merge them in the list first
    // and add them in one call.
    void AddIndexedPrimitives(std::span<const Vertex> vertices, std::span<const std::uint32_t> indices);
    void Finish();
    // Whether the triangles added so far enclose a volume (ClosedSurfaceCheck);
    // false for lines.
    bool IsClosed() const { return verticesPerPrimitive == 3 && surface.IsClosed(); }
    // The longest edge of the primitives added so far; infinite once a
    // coordinate was not finite.
    float LongestEdge() const;

private:
    // Closes the draw call or flushes the buffer when one more primitive
    // might not fit.
    void MakeRoomForPrimitive();
    // The primitive of verticesPerPrimitive vertices at first.
    void AddPrimitive(const Vertex* first);
    // Starts the dictionary lookups of a primitive to come; memory latency
    // bounds the lookups, which overlap this way.
    void PrefetchLookups(const Vertex* primitive) const;
    static constexpr std::size_t kLookAhead = 4;
    void AddVertex(const Vertex& vertex);
    void AddIndexedVertex(std::span<const Vertex> vertices, std::uint32_t index);
    // Stores a vertex new to the open draw call and indexes it.
    void AddNewVertex(const Vertex& vertex);
    // The last primitive's triangle, for the closed-surface check.
    void RecordTriangle();
    // The edges of a primitive given by its corners, for LongestEdge.
    void MeasureEdges(const Vertex* const* corners);
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
    // Vertices of the open draw call, by their local index; localVertexCount
    // also counts those kept out of the dictionary (a NaN component never
    // matches).
    VertexDictionary<Vertex> vertexDictionary;
    std::uint16_t localVertexCount = 0;
    // Per index of the indexed form's list, the draw call that last stored
    // it (a serial number) and its local index there.
    std::vector<std::uint32_t> indexedDrawCall;
    std::vector<std::uint16_t> indexedLocal;
    std::uint32_t drawCallSerial = 0;
    // Triangles only: the corner number (ClosedSurfaceCheck) of each local
    // vertex of the open draw call.
    std::vector<std::uint32_t> localCorners;
    ClosedSurfaceCheck surface;
    float longestEdgeSquared = 0.0f;
    bool nonFiniteEdge = false;
    int uncaughtExceptionsAtConstruction;
};

}  // namespace Korvex::Rendering::detail
