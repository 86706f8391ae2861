#pragma once

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Gpu/GpuHandle.h>

#include <cstdint>
#include <vector>

namespace Korvex::Rendering::detail {

// Index k of a call denotes vertex baseVertex + k of its buffer.
struct IndexedDrawCall {
    std::uint32_t indexCount = 0;
    std::uint32_t firstIndex = 0;
    std::int32_t baseVertex = 0;
};
static_assert(sizeof(IndexedDrawCall) == 12);

// One vertex buffer, one 16-bit index buffer and the draw calls over them.
// Members are destroyed in reverse order: index buffer, then vertex buffer.
template <class DrawCall>
struct IndexedVertexBuffer {
    GpuHandle<BufferTag> vertexBuffer;
    GpuHandle<BufferTag> indexBuffer;
    std::vector<DrawCall> drawCalls;

    // issue(vertexBuffers, indexBuffer, indexFormat, indexCount, firstIndex,
    // baseVertex) once per draw call, in order: the arguments of DrawIndexed.
    template <class Issue>
    void ForEachDraw(Issue&& issue) const {
        const VertexBufferIds vertexBuffers{vertexBuffer.Get(), BufferId::Null(), BufferId::Null(),
                                            BufferId::Null()};
        for (const DrawCall& call : drawCalls)
            issue(vertexBuffers, indexBuffer.Get(), std::uint32_t{kFormatR16Uint}, call.indexCount, call.firstIndex,
                  call.baseVertex);
    }
};

// Buffers in creation order; destroyed first to last.
template <class Buffer>
using VertexContainer = std::vector<Buffer>;

}  // namespace Korvex::Rendering::detail
