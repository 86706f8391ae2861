#include "meshes/triangle/IndexedVertexContainerBuilder.h"

#include "core/ThreadSanitizerEdges.h"

#include <Korvex/Rendering/Gpu/Utilities.h>

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>

namespace Korvex::Rendering::detail {

namespace {

std::uint32_t CheckedPrimitiveSize(std::uint32_t verticesPerPrimitive) {
    if (verticesPerPrimitive != 2 && verticesPerPrimitive != 3)
        throw std::invalid_argument("IndexedVertexContainerBuilder(): " + std::to_string(verticesPerPrimitive) +
                                    " vertices per primitive; 2 (lines) or 3 (triangles) expected");
    return verticesPerPrimitive;
}

}  // namespace

template <class Vertex>
IndexedVertexContainerBuilder<Vertex>::IndexedVertexContainerBuilder(IGpu& device, Container& container,
                                                                     std::uint32_t primitiveSize,
                                                                     bool optimizeDrawCalls)
    : gpu(&device),
      output(&container),
      optimize(optimizeDrawCalls),
      verticesPerPrimitive(CheckedPrimitiveSize(primitiveSize)),
      maxVertices(device.GetMaxBufferSize() / sizeof(Vertex)),
      // A whole number of triangles of 16-bit indices.
      maxIndices(((device.GetMaxBufferSize() >> 1) / 3u) * 3u),
      localCorners(verticesPerPrimitive == 3 ? kMaxDrawCallVertices : 0),
      uncaughtExceptionsAtConstruction(std::uncaught_exceptions()) {}

template <class Vertex>
IndexedVertexContainerBuilder<Vertex>::~IndexedVertexContainerBuilder() {
    if (std::uncaught_exceptions() > uncaughtExceptionsAtConstruction) return;  // the output is being abandoned
    Finish();
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::AddPrimitives(std::span<const Vertex> primitives) {
    const std::size_t primitiveCount = primitives.size() / verticesPerPrimitive;
    for (std::size_t p = 0; p < primitiveCount; ++p) {
        if (p + kLookAhead < primitiveCount)
            PrefetchLookups(primitives.data() + (p + kLookAhead) * verticesPerPrimitive);
        AddPrimitive(primitives.data() + p * verticesPerPrimitive);
    }
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::AddPrimitivesInOrder(std::span<const Vertex> list,
                                                                 std::span<const std::uint32_t> order) {
    // An order that jumps around the list would wait for memory at every
    // primitive: the ones a few places ahead are fetched meanwhile.
    constexpr std::size_t kFetchAhead = 16;
    const auto primitive = [&](std::size_t i) { return list.data() + std::size_t{order[i]} * verticesPerPrimitive; };
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + kFetchAhead < order.size()) {
            __builtin_prefetch(primitive(i + kFetchAhead));
            __builtin_prefetch(primitive(i + kFetchAhead) + verticesPerPrimitive - 1);
        }
        if (i + kLookAhead < order.size()) PrefetchLookups(primitive(i + kLookAhead));
        AddPrimitive(primitive(i));
    }
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::PrefetchLookups(const Vertex* primitive) const {
    for (const Vertex& vertex : std::span(primitive, verticesPerPrimitive)) vertexDictionary.Prefetch(vertex);
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::AddPrimitive(const Vertex* first) {
    MakeRoomForPrimitive();
    const Vertex* corners[3] = {first, first + 1, first + verticesPerPrimitive - 1};
    MeasureEdges(corners);
    for (const Vertex& vertex : std::span(first, verticesPerPrimitive)) AddVertex(vertex);
    if (verticesPerPrimitive == 3) RecordTriangle();
}

// A line's third corner repeats its second.
template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::MeasureEdges(const Vertex* const* corners) {
    for (std::size_t k = 0; k < 3; ++k) {
        const float* a = corners[k]->position;
        const float* b = corners[(k + 1) % 3]->position;
        const float dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
        const float lengthSquared = dx * dx + dy * dy + dz * dz;
        nonFiniteEdge |= !(lengthSquared <= std::numeric_limits<float>::max());
        longestEdgeSquared = std::max(longestEdgeSquared, lengthSquared);
    }
}

template <class Vertex>
float IndexedVertexContainerBuilder<Vertex>::LongestEdge() const {
    return nonFiniteEdge ? std::numeric_limits<float>::infinity() : std::sqrt(longestEdgeSquared);
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::AddIndexedPrimitives(std::span<const Vertex> vertexList,
                                                                 std::span<const std::uint32_t> primitives) {
    indexedDrawCall.assign(vertexList.size(), std::numeric_limits<std::uint32_t>::max());
    indexedLocal.resize(vertexList.size());
    const std::size_t primitiveCount = primitives.size() / verticesPerPrimitive;
    for (std::size_t p = 0; p < primitiveCount; ++p) {
        MakeRoomForPrimitive();
        const std::uint32_t* primitive = primitives.data() + p * verticesPerPrimitive;
        const Vertex* corners[3] = {&vertexList[primitive[0]], &vertexList[primitive[1]],
                                    &vertexList[primitive[verticesPerPrimitive - 1]]};
        MeasureEdges(corners);
        for (const std::uint32_t index : std::span(primitive, verticesPerPrimitive))
            AddIndexedVertex(vertexList, index);
        if (verticesPerPrimitive == 3) RecordTriangle();
    }
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::MakeRoomForPrimitive() {
    if (localVertexCount > kMaxDrawCallVertices - verticesPerPrimitive) CloseDrawCall();
    // Unsigned: a limit below one primitive never flushes.
    if (vertices.size() > maxVertices - verticesPerPrimitive || indices.size() > maxIndices - verticesPerPrimitive) {
        if (localVertexCount != 0) CloseDrawCall();
        FlushBuffers();
    }
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::AddVertex(const Vertex& vertex) {
    // The dictionary's equality must be an equivalence; a vertex unequal to
    // itself could never be found again anyway.
    if (!VertexEqual<Vertex>{}(vertex, vertex)) {
        AddNewVertex(vertex);
        return;
    }
    const Vertex* callVertices = vertices.data() + (vertices.size() - localVertexCount);
    const auto probe = vertexDictionary.Find(vertex, callVertices);
    if (probe.found) {
        indices.push_back(static_cast<std::uint16_t>(probe.id));
        return;
    }
    const std::uint16_t local = localVertexCount;
    AddNewVertex(vertex);
    vertexDictionary.Add(probe, local);
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::AddIndexedVertex(std::span<const Vertex> vertexList,
                                                             std::uint32_t index) {
    if (indexedDrawCall[index] == drawCallSerial) {
        indices.push_back(indexedLocal[index]);
        return;
    }
    indexedLocal[index] = localVertexCount;
    AddNewVertex(vertexList[index]);
    indexedDrawCall[index] = drawCallSerial;
}

// Stores the vertex before counting it, and counts it before indexing it, so
// an allocation failure at any step leaves no index without its vertex.
template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::AddNewVertex(const Vertex& vertex) {
    vertices.push_back(vertex);
    const std::uint16_t local = localVertexCount++;
    if (verticesPerPrimitive == 3) localCorners[local] = surface.AddCorner(vertex.position);
    indices.push_back(local);
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::RecordTriangle() {
    const std::uint16_t* corners = indices.data() + indices.size() - 3;
    surface.AddTriangle(localCorners[corners[0]], localCorners[corners[1]], localCorners[corners[2]]);
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::Finish() {
    if (localVertexCount != 0) CloseDrawCall();
    if (!vertices.empty()) FlushBuffers();
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::CloseDrawCall() {
    const std::uint32_t first = drawCalls.empty() ? 0u : drawCalls.back().firstIndex + drawCalls.back().indexCount;
    const std::uint32_t count = localVertexCount;
    // The two lists must stay the same length: OptimizeDrawCall pairs them.
    drawCallVertexCounts.push_back(count);
    try {
        drawCalls.push_back({static_cast<std::uint32_t>(indices.size() - first), first,
                             static_cast<std::int32_t>(vertices.size() - count)});
    } catch (...) {
        drawCallVertexCounts.pop_back();
        throw;
    }
    vertexDictionary.Clear();
    localVertexCount = 0;
    ++drawCallSerial;
}

template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::FlushBuffers() {
    if (optimize) {
        // Two members' addresses tag this builder's spawn and join edges.
        HappensBefore(&drawCalls);
        tbb::parallel_for(
            tbb::blocked_range<std::size_t>(0, drawCalls.size(), 1),
            [this](const tbb::blocked_range<std::size_t>& range) {
                HappensAfter(&drawCalls);
                for (std::size_t i = range.begin(); i != range.end(); ++i) OptimizeDrawCall(i);
                HappensBefore(&drawCallVertexCounts);
            },
            tbb::auto_partitioner());
        HappensAfter(&drawCallVertexCounts);
    }
    Buffer& buffer = output->emplace_back();
    buffer.vertexBuffer = GpuHandle<BufferTag>(
        *gpu, gpu->CreateBuffer({static_cast<std::uint32_t>(vertices.size() * sizeof(Vertex)), kBufferUsageVertex},
                                vertices.data()));
    buffer.indexBuffer = GpuHandle<BufferTag>(
        *gpu,
        gpu->CreateBuffer({static_cast<std::uint32_t>(indices.size() * sizeof(std::uint16_t)), kBufferUsageIndex},
                          indices.data()));
    buffer.drawCalls = drawCalls;
    vertices.clear();
    indices.clear();
    drawCalls.clear();
    drawCallVertexCounts.clear();
}

// Runs on a worker thread: touches only this call's ranges of the pending
// vertices and indices. The temporaries are allocated before those ranges are
// written, so a failure leaves the call whole.
template <class Vertex>
void IndexedVertexContainerBuilder<Vertex>::OptimizeDrawCall(std::size_t drawCallIndex) {
    constexpr std::uint32_t kUnnumbered = std::numeric_limits<std::uint32_t>::max();
    const IndexedDrawCall call = drawCalls[drawCallIndex];
    const std::uint32_t vertexCount = drawCallVertexCounts[drawCallIndex];
    Vertex* callVertices = vertices.data() + call.baseVertex;
    std::uint16_t* callIndices = indices.data() + call.firstIndex;

    const std::vector<Vertex> originalVertices(callVertices, callVertices + vertexCount);
    std::vector<std::uint32_t> renumbered(vertexCount, kUnnumbered);
    // Tipsify reorders triangles; a line list keeps its order.
    if (verticesPerPrimitive == 3) {
        const std::vector<std::uint16_t> originalIndices(callIndices, callIndices + call.indexCount);
        Tipsify(originalIndices.data(), callIndices, call.indexCount, vertexCount, verticesPerPrimitive,
                kVertexCacheSize);
    }

    std::uint32_t next = 0;
    for (std::uint16_t& index : std::span(callIndices, call.indexCount)) {
        if (renumbered[index] == kUnnumbered) {
            renumbered[index] = next;
            callVertices[next] = originalVertices[index];
            ++next;
        }
        index = static_cast<std::uint16_t>(renumbered[index]);
    }
}

template class IndexedVertexContainerBuilder<VertexPN>;

}  // namespace Korvex::Rendering::detail
