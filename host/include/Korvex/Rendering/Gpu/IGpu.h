#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace Korvex::Rendering {

using VertexBufferIds = std::array<BufferId, 4>;

// Creates and releases device objects. Release never reports; a null or
// stale id is ignored by every device.
class IResourceFactory {
public:
    virtual ~IResourceFactory() = default;

    virtual std::uint32_t GetMaxBufferSize() const = 0;
    virtual BufferId CreateBuffer(const BufferDesc& desc, const void* data) = 0;
    virtual ImageViewId CreateBufferView(BufferId buffer, std::uint32_t format, std::uint32_t first,
                                         std::uint32_t count) = 0;
    virtual ImageId CreateImage(const ImageDesc& desc) = 0;
    virtual ImageViewId CreateImageView(ImageId image, const ImageViewDesc& desc) = 0;
    virtual SamplerId CreateSampler(const SamplerDesc& desc) = 0;
    virtual PipelineStateId CreatePipelineState(const PipelineStateDesc& desc) = 0;

    // Copies size bytes to the buffer at offset; later draws see them.
    virtual void UpdateBuffer(BufferId buffer, std::uint32_t offset, std::uint32_t size, const void* data) = 0;
    // Writes tightly packed texels into a region (whole image when zeroed).
    // Answers false, writing nothing, when size is short of the region.
    virtual bool WriteImage(ImageId image, const SubImage& region, const void* data, std::size_t size) = 0;

    virtual void DestroyBuffer(BufferId id) = 0;
    virtual void DestroyImage(ImageId id) = 0;
    virtual void DestroyImageView(ImageViewId id) = 0;
    virtual void DestroySampler(SamplerId id) = 0;
    virtual void DestroyPipelineState(PipelineStateId id) = 0;
};

class IImageAccess {
public:
    virtual ~IImageAccess() = default;

    virtual ImageInfo GetImageInfo(ImageId image) const = 0;
    virtual MappedImage MapImage(ImageId image, std::uint32_t subresource, std::uint32_t mode) = 0;
    virtual void UnmapImage(ImageId image, std::uint32_t subresource) = 0;
};

class IProgramFactory {
public:
    virtual ~IProgramFactory() = default;

    // A failed translation or link gives the null id.
    virtual ProgramId CreateProgram(const ShaderStageSources& sources) = 0;
    virtual void DestroyProgram(ProgramId id) = 0;
};

// Work recorded in submission order on the drawing thread.
class ICommandList {
public:
    virtual ~ICommandList() = default;

    virtual void BindDrawCall(PipelineStateId pipeline, const DrawCallDesc& drawCall) = 0;
    virtual bool ApplyPipelineStateDesc(const PipelineStateDesc& state) = 0;
    virtual void CopyImage(ImageId source, ImageId destination) = 0;
    virtual void DrawIndexed(const VertexBufferIds& vertexBuffers, BufferId indexBuffer, std::uint32_t indexFormat,
                             std::uint32_t indexCount, std::uint32_t firstIndex, std::int32_t baseVertex) = 0;
    virtual void DrawIndexedInstanced(std::uint64_t instanceCount, const VertexBufferIds& vertexBuffers,
                                      BufferId indexBuffer, std::uint32_t indexFormat, std::uint32_t indexCount,
                                      std::uint32_t firstIndex, std::int32_t baseVertex) = 0;
    virtual void DrawVertices(const VertexBufferIds& vertexBuffers, std::uint32_t vertexCount,
                              std::uint32_t firstVertex) = 0;
    // Targets name the framebuffer: the colour image and the depth-stencil image.
    virtual void ClearDepth(ImageId colorTarget, ImageId depthTarget, float depth) = 0;
    virtual void ClearDepthStencil(ImageId colorTarget, ImageId depthTarget, float depth, std::uint8_t stencil) = 0;
    virtual void ClearStencil(ImageId colorTarget, ImageId depthTarget, std::uint8_t stencil) = 0;
};

// The host's device: a resource factory with image, program and command parts.
class IGpu : public IResourceFactory, public IImageAccess, public IProgramFactory, public ICommandList {};

}  // namespace Korvex::Rendering
