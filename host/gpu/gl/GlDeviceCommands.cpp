// Binding, drawing and clearing.

#include "GlDeviceState.h"

#include <algorithm>
#include <limits>

namespace Korvex::Rendering {

namespace {

constexpr auto kMaxGlCount = static_cast<std::uint64_t>(std::numeric_limits<GLsizei>::max());

bool HasAnyBuffer(const VertexBufferIds& vertexBuffers) {
    return std::any_of(vertexBuffers.begin(), vertexBuffers.end(), [](BufferId id) { return !id.IsNull(); });
}

}  // namespace

gl::GlFramebuffer* GlDevice::State::AcquireFramebuffer(const gl::TargetIds& targets, const char* caller) {
    if (gl::GlFramebuffer* framebuffer = framebuffers.Find(targets)) return framebuffer;
    std::array<gl::FramebufferAttachment, kRenderTargetCount> attachments{};
    bool any = false;
    for (std::size_t k = 0; k < kRenderTargetCount; ++k) {
        if (targets[k].IsNull()) continue;
        const gl::GlImage* image = images.Find(targets[k]);
        const std::uint32_t usage = k == kTargetDepthStencil ? kImageUsageDepthStencilTarget : kImageUsageColorTarget;
        if (image == nullptr || (image->usage & usage) == 0) {
            Report(std::string(caller) + ": target " + std::to_string(k) + " is no render target image");
            return nullptr;
        }
        attachments[k] = {image->texture, static_cast<GLsizei>(image->width), static_cast<GLsizei>(image->height)};
        any = true;
    }
    if (!any) {
        Report(std::string(caller) + ": no render target");
        return nullptr;
    }
    std::string error;
    gl::GlFramebuffer* framebuffer = framebuffers.Add(targets, attachments, &error);
    if (framebuffer == nullptr) Report(std::string(caller) + ": " + error);
    return framebuffer;
}

void GlDevice::State::ApplyPipeline(const gl::GlPipeline& pipeline) {
    shadow.UseProgram(pipeline.programName);
    gl::RasterState raster = pipeline.raster;
    raster.stencilReference = currentStencilReference;
    shadow.ApplyRaster(raster);
    if (currentFramebuffer != nullptr)
        gl::GlFramebufferCache::SetDrawBuffers(*currentFramebuffer, pipeline.colorTargets, shadow.Counter());
}

void GlDevice::BindDrawCall(PipelineStateId pipelineId, const DrawCallDesc& drawCall) {
    State& s = *state_;
    // Until everything is in place, draws are skipped.
    s.currentPipeline = nullptr;
    std::unique_ptr<gl::GlPipeline>* pipeline = s.pipelines.Find(pipelineId);
    if (pipeline == nullptr) return;
    if (s.programs.Find((*pipeline)->program) == nullptr) {
        s.Report("GlDevice::BindDrawCall(): the pipeline's program was destroyed");
        return;
    }
    gl::TargetIds targets;
    for (std::size_t k = 0; k < kRenderTargetCount; ++k) targets[k] = drawCall.targets[k];
    s.currentFramebuffer = s.AcquireFramebuffer(targets, "GlDevice::BindDrawCall()");
    if (s.currentFramebuffer == nullptr) return;
    s.currentTargets = targets;
    s.shadow.BindFramebuffer(s.currentFramebuffer->name);
    s.shadow.SetViewport(s.currentFramebuffer->width, s.currentFramebuffer->height);
    // Stencil buffers here have 8 bits; GL clamps the reference likewise.
    s.currentStencilReference = static_cast<GLint>(std::min<std::uint32_t>(drawCall.stencilReference, 0xFF));
    s.ApplyPipeline(**pipeline);

    // GL's texture units and uniform-buffer slots serve every stage, so the
    // stage masks need no mapping.
    for (std::uint32_t slot = 0; slot < kMaxConstantBufferBindings; ++slot) {
        const BufferId id = drawCall.constantBuffers[slot].buffer;
        const gl::GlBuffer* buffer = s.buffers.Find(id);
        if (buffer == nullptr && !id.IsNull())
            s.Report("GlDevice::BindDrawCall(): constant buffer " + std::to_string(slot) + " names no buffer");
        s.shadow.BindUniformBuffer(slot, buffer != nullptr ? buffer->name : 0);
    }
    for (std::uint32_t slot = 0; slot < kMaxResourceBindings; ++slot) {
        const ImageViewId viewId = drawCall.resources[slot].view;
        const SamplerId samplerId = drawCall.resources[slot].sampler;
        const gl::GlView* view = s.views.Find(viewId);
        const gl::GlSampler* sampler = s.samplers.Find(samplerId);
        if ((view == nullptr && !viewId.IsNull()) || (sampler == nullptr && !samplerId.IsNull()))
            s.Report("GlDevice::BindDrawCall(): resource " + std::to_string(slot) + " names no view or sampler");
        s.shadow.BindTexture(slot, view != nullptr ? view->texture : 0);
        s.shadow.BindSampler(slot, sampler != nullptr ? s.sharedSamplers.at(sampler->key).name : 0);
    }
    s.currentPipeline = pipeline->get();
}

bool GlDevice::State::BindVertexInput(gl::GlPipeline& pipeline, const VertexBufferIds& vertexBuffers,
                                      BufferId indexBuffer, const char* caller) {
    shadow.BindVertexArray(pipeline.vertexArray);
    for (std::size_t slot = 0; slot < gl::kVertexBufferSlots; ++slot) {
        if (pipeline.strides[slot] == 0) continue;
        const gl::GlBuffer* buffer = buffers.Find(vertexBuffers[slot]);
        if (buffer == nullptr) {
            Report(std::string(caller) + ": no vertex buffer in slot " + std::to_string(slot));
            return false;
        }
        gl::SetIfChanged(pipeline.boundVertexBuffers[slot], vertexBuffers[slot], shadow.Counter(), [&] {
            glVertexArrayVertexBuffer(pipeline.vertexArray, static_cast<GLuint>(slot), buffer->name, 0,
                                      pipeline.strides[slot]);
        });
    }
    if (!indexBuffer.IsNull()) {
        const GLuint name = buffers.Find(indexBuffer)->name;
        gl::SetIfChanged(pipeline.boundIndexBuffer, indexBuffer, shadow.Counter(),
                         [&] { glVertexArrayElementBuffer(pipeline.vertexArray, name); });
    }
    return true;
}

void GlDevice::State::DrawIndexed(std::uint64_t instanceCount, const VertexBufferIds& vertexBuffers,
                                  BufferId indexBuffer, std::uint32_t indexFormat, std::uint32_t indexCount,
                                  std::uint32_t firstIndex, std::int32_t baseVertex, const char* caller) {
    if (!ReadyToDraw() || indexCount == 0 || instanceCount == 0) return;
    const gl::IndexFormat* format = gl::FindIndexFormat(indexFormat);
    const gl::GlBuffer* indices = buffers.Find(indexBuffer);
    if (format == nullptr || indices == nullptr) {
        Report(std::string(caller) + ": no index buffer of format " + std::to_string(indexFormat));
        return;
    }
    const std::uint64_t end = (std::uint64_t{firstIndex} + indexCount) * format->size;
    if (end > indices->size || instanceCount > kMaxGlCount) {
        Report(std::string(caller) + ": indices " + std::to_string(firstIndex) + " + " + std::to_string(indexCount) +
               " leave the index buffer");
        return;
    }
    if (!BindVertexInput(*currentPipeline, vertexBuffers, indexBuffer, caller)) return;
    const auto offset = static_cast<std::uintptr_t>(std::uint64_t{firstIndex} * format->size);
    glDrawElementsInstancedBaseVertex(currentPipeline->mode, static_cast<GLsizei>(indexCount), format->type,
                                      reinterpret_cast<const void*>(offset), static_cast<GLsizei>(instanceCount),
                                      baseVertex);
    ++draws;
}

void GlDevice::DrawIndexed(const VertexBufferIds& vertexBuffers, BufferId indexBuffer, std::uint32_t indexFormat,
                           std::uint32_t indexCount, std::uint32_t firstIndex, std::int32_t baseVertex) {
    state_->DrawIndexed(1, vertexBuffers, indexBuffer, indexFormat, indexCount, firstIndex, baseVertex,
                        "GlDevice::DrawIndexed()");
}

void GlDevice::DrawIndexedInstanced(std::uint64_t instanceCount, const VertexBufferIds& vertexBuffers,
                                    BufferId indexBuffer, std::uint32_t indexFormat, std::uint32_t indexCount,
                                    std::uint32_t firstIndex, std::int32_t baseVertex) {
    state_->DrawIndexed(instanceCount, vertexBuffers, indexBuffer, indexFormat, indexCount, firstIndex, baseVertex,
                        "GlDevice::DrawIndexedInstanced()");
}

void GlDevice::DrawVertices(const VertexBufferIds& vertexBuffers, std::uint32_t vertexCount,
                            std::uint32_t firstVertex) {
    State& s = *state_;
    if (!s.ReadyToDraw() || vertexCount == 0) return;
    if (std::uint64_t{firstVertex} + vertexCount > kMaxGlCount) {
        s.Report("GlDevice::DrawVertices(): too many vertices");
        return;
    }
    // Without buffers the vertex stage works from gl_VertexID alone; an empty
    // vertex array keeps it from fetching anything.
    if (HasAnyBuffer(vertexBuffers)) {
        if (!s.BindVertexInput(*s.currentPipeline, vertexBuffers, BufferId::Null(), "GlDevice::DrawVertices()"))
            return;
    } else {
        s.shadow.BindVertexArray(s.emptyVertexArray);
    }
    glDrawArrays(s.currentPipeline->mode, static_cast<GLint>(firstVertex), static_cast<GLsizei>(vertexCount));
    ++s.draws;
}

void GlDevice::State::ClearDepthStencil(ImageId colorTarget, ImageId depthTarget, std::optional<float> depth,
                                        std::optional<std::uint8_t> stencil, const char* caller) {
    if (depthTarget.IsNull()) return;
    gl::TargetIds targets;
    targets[kTargetColor] = colorTarget;
    targets[kTargetDepthStencil] = depthTarget;
    gl::GlFramebuffer* framebuffer = AcquireFramebuffer(targets, caller);
    if (framebuffer == nullptr) return;
    // Clears write through the depth mask only; the stencil mask stays all ones.
    shadow.SetDepthWrite(true);
    if (depth && stencil) {
        glClearNamedFramebufferfi(framebuffer->name, GL_DEPTH_STENCIL, 0, *depth, *stencil);
    } else if (depth) {
        glClearNamedFramebufferfv(framebuffer->name, GL_DEPTH, 0, &*depth);
    } else if (stencil) {
        const GLint value = *stencil;
        glClearNamedFramebufferiv(framebuffer->name, GL_STENCIL, 0, &value);
    }
    if (currentPipeline != nullptr) ApplyPipeline(*currentPipeline);
}

void GlDevice::ClearDepth(ImageId colorTarget, ImageId depthTarget, float depth) {
    state_->ClearDepthStencil(colorTarget, depthTarget, depth, std::nullopt, "GlDevice::ClearDepth()");
}

void GlDevice::ClearDepthStencil(ImageId colorTarget, ImageId depthTarget, float depth, std::uint8_t stencil) {
    state_->ClearDepthStencil(colorTarget, depthTarget, depth, stencil, "GlDevice::ClearDepthStencil()");
}

void GlDevice::ClearStencil(ImageId colorTarget, ImageId depthTarget, std::uint8_t stencil) {
    state_->ClearDepthStencil(colorTarget, depthTarget, std::nullopt, stencil, "GlDevice::ClearStencil()");
}

}  // namespace Korvex::Rendering
