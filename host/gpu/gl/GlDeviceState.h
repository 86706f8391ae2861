#pragma once

// The GL device's members, shared by the files that implement its parts.

#include "EglContext.h"
#include "GlApi.h"
#include "GlDevice.h"
#include "GlFormats.h"
#include "GlFramebufferCache.h"
#include "GlPipelineCache.h"
#include "GlProgram.h"
#include "GlStateShadow.h"
#include "ObjectTable.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Korvex::Rendering {

namespace gl {

struct GlBuffer {
    GLuint name = 0;
    std::uint32_t size = 0;
    std::uint32_t usage = 0;
};

// A GPU image is a texture; a staging image (CPU-writable) is client memory
// of tightly packed texels, uploaded by CopyImage. Client memory has no
// driver limit: a pixel-unpack buffer is limited to 32-bit sizes in Mesa.
struct GlImage {
    GLuint texture = 0;
    std::unique_ptr<std::byte[]> staging;
    GLenum target = GL_TEXTURE_2D;
    std::uint32_t width = 1, height = 1, depth = 1;  // extents, at least 1
    std::uint32_t levels = 1;
    std::uint32_t usage = 0;
    std::uint32_t formatCode = 0;
    const ImageFormat* format = nullptr;
    bool mapped = false;

    bool IsStaging() const { return staging != nullptr; }
    std::size_t RowPitch() const { return std::size_t{width} * format->texelSize; }
    std::size_t SlicePitch() const { return RowPitch() * height; }
    std::size_t ByteSize() const { return SlicePitch() * depth; }
};

// Image views and buffer views are textures of their own.
struct GlView {
    GLuint texture = 0;
};

// Sampler ids share one GL sampler per distinct description.
struct GlSampler {
    std::uint64_t key = 0;
};
struct SharedSampler {
    GLuint name = 0;
    std::uint32_t users = 0;
};

struct GlLimits {
    GLint maxTextureSize = 0;
    GLint max3DTextureSize = 0;
    GLint maxTextureBufferTexels = 0;
    GLint textureBufferOffsetAlignment = 1;
};

}  // namespace gl

struct GlDevice::State {
    // Null when the device works on a context it was given (a window's).
    std::unique_ptr<gl::EglContext> context;
    std::string platform;
    gl::GlLimits limits;
    // GL has no general buffer limit; this keeps every buffer view and size
    // computation far from 32-bit overflow.
    std::uint32_t maxBufferSize = 256u << 20;
    gl::GlStateShadow shadow;

    gl::ObjectTable<gl::GlBuffer, BufferId> buffers;
    gl::ObjectTable<gl::GlImage, ImageId> images;
    gl::ObjectTable<gl::GlView, ImageViewId> views;
    gl::ObjectTable<gl::GlSampler, SamplerId> samplers;
    std::unordered_map<std::uint64_t, gl::SharedSampler> sharedSamplers;
    gl::ObjectTable<gl::GlProgram, ProgramId> programs;
    // Pipelines live behind pointers: the current one is held by address.
    gl::ObjectTable<std::unique_ptr<gl::GlPipeline>, PipelineStateId> pipelines;
    gl::GlPipelineCache appliedPipelines;
    gl::GlFramebufferCache framebuffers;
    GLuint emptyVertexArray = 0;  // draws without vertex buffers

    // What BindDrawCall made current; draws skip while either is null.
    gl::GlPipeline* currentPipeline = nullptr;
    gl::GlFramebuffer* currentFramebuffer = nullptr;
    gl::TargetIds currentTargets;
    GLint currentStencilReference = 0;

    // The memory of the last staging image destroyed, kept for the next one
    // of the same size: a stream of uploads of one size then writes to pages
    // it has written before instead of fresh ones that the system must zero.
    // Larger ones go at once: a grid of gigabytes is seldom streamed.
    static constexpr std::size_t kMaxSpareStagingBytes = std::size_t{512} << 20;
    std::unique_ptr<std::byte[]> spareStaging;
    std::size_t spareStagingSize = 0;

    std::string programLog;
    std::vector<std::string> diagnostics;
    std::uint64_t draws = 0;

    void Report(std::string message);

    void DeleteBuffer(gl::GlBuffer& buffer);
    void DeleteImage(gl::GlImage& image);
    // Staging memory of size bytes: the spare if it fits exactly, otherwise
    // new memory (the spare released first); null when there is none.
    std::unique_ptr<std::byte[]> TakeStagingMemory(std::size_t size);
    void DeleteView(gl::GlView& view);
    void ReleaseSampler(const gl::GlSampler& sampler);
    void DeleteProgram(gl::GlProgram& program);
    void DeletePipeline(gl::GlPipeline& pipeline);

    bool ReadyToDraw() const { return currentPipeline != nullptr && currentFramebuffer != nullptr; }

    // The framebuffer of a set of targets, made on first use; null and a
    // report when a target is missing or cannot be rendered to.
    gl::GlFramebuffer* AcquireFramebuffer(const gl::TargetIds& targets, const char* caller);
    // Program, draw buffers and fixed-function state of a pipeline.
    void ApplyPipeline(const gl::GlPipeline& pipeline);
    // The pipeline's vertex array with the given buffers in its slots.
    bool BindVertexInput(gl::GlPipeline& pipeline, const VertexBufferIds& vertexBuffers, BufferId indexBuffer,
                         const char* caller);
    void DrawIndexed(std::uint64_t instanceCount, const VertexBufferIds& vertexBuffers, BufferId indexBuffer,
                     std::uint32_t indexFormat, std::uint32_t indexCount, std::uint32_t firstIndex,
                     std::int32_t baseVertex, const char* caller);
    // What is given of depth and stencil.
    void ClearDepthStencil(ImageId colorTarget, ImageId depthTarget, std::optional<float> depth,
                           std::optional<std::uint8_t> stencil, const char* caller);
};

}  // namespace Korvex::Rendering
