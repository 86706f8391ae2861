// Buffers, buffer and image views, samplers.

#include "GlDeviceState.h"

#include <algorithm>

namespace Korvex::Rendering {

namespace {

constexpr std::uint32_t kKnownBufferUsage =
    kBufferUsageVertex | kBufferUsageIndex | kBufferUsageConstant | kBufferUsageDynamic | kBufferUsageShaderRead;

bool IsZero(const ImageViewDesc& desc) {
    for (std::uint8_t byte : desc.reserved)
        if (byte != 0) return false;
    return true;
}

}  // namespace

std::uint32_t GlDevice::GetMaxBufferSize() const { return state_->maxBufferSize; }

void GlDevice::LimitBufferSize(std::uint32_t bytes) {
    state_->maxBufferSize = std::min(state_->maxBufferSize, bytes);
}

BufferId GlDevice::CreateBuffer(const BufferDesc& desc, const void* data) {
    State& s = *state_;
    if (desc.usage == 0 || (desc.usage & ~kKnownBufferUsage) != 0) {
        s.Report("GlDevice::CreateBuffer(): unsupported usage " + std::to_string(desc.usage));
        return BufferId::Null();
    }
    if (desc.size > s.maxBufferSize) {
        s.Report("GlDevice::CreateBuffer(): size " + std::to_string(desc.size) + " exceeds the maximum");
        return BufferId::Null();
    }
    gl::GlBuffer buffer{0, desc.size, desc.usage};
    glCreateBuffers(1, &buffer.name);
    // GL refuses empty storage; an empty buffer still gets an id.
    const GLsizeiptr storage = desc.size > 0 ? GLsizeiptr{desc.size} : 4;
    const GLbitfield flags = (desc.usage & kBufferUsageDynamic) != 0 ? GL_DYNAMIC_STORAGE_BIT : 0;
    glNamedBufferStorage(buffer.name, storage, desc.size > 0 ? data : nullptr, flags);
    return s.buffers.Insert(buffer);
}

void GlDevice::UpdateBuffer(BufferId id, std::uint32_t offset, std::uint32_t size, const void* data) {
    State& s = *state_;
    gl::GlBuffer* buffer = s.buffers.Find(id);
    if (buffer == nullptr || size == 0) return;
    if ((buffer->usage & kBufferUsageDynamic) == 0) {
        s.Report("GlDevice::UpdateBuffer(): the buffer was not created for updates");
        return;
    }
    if (data == nullptr || std::uint64_t{offset} + size > buffer->size) {
        s.Report("GlDevice::UpdateBuffer(): " + std::to_string(size) + " bytes at " + std::to_string(offset) +
                 " do not fit a buffer of " + std::to_string(buffer->size));
        return;
    }
    glNamedBufferSubData(buffer->name, offset, size, data);
}

void GlDevice::DestroyBuffer(BufferId id) {
    State& s = *state_;
    if (std::optional<gl::GlBuffer> buffer = s.buffers.Remove(id)) s.DeleteBuffer(*buffer);
}

ImageViewId GlDevice::CreateBufferView(BufferId bufferId, std::uint32_t format, std::uint32_t first,
                                       std::uint32_t count) {
    State& s = *state_;
    const gl::GlBuffer* buffer = s.buffers.Find(bufferId);
    if (buffer == nullptr) return ImageViewId::Null();
    if ((buffer->usage & kBufferUsageShaderRead) == 0) {
        s.Report("GlDevice::CreateBufferView(): the buffer is not shader-readable");
        return ImageViewId::Null();
    }
    const gl::BufferViewFormat* viewFormat = gl::FindBufferViewFormat(format);
    if (viewFormat == nullptr) {
        s.Report("GlDevice::CreateBufferView(): unsupported format " + std::to_string(format));
        return ImageViewId::Null();
    }
    const std::uint64_t offset = std::uint64_t{first} * viewFormat->elementSize;
    const std::uint64_t bytes = std::uint64_t{count} * viewFormat->elementSize;
    if (offset + bytes > buffer->size || count > static_cast<std::uint64_t>(s.limits.maxTextureBufferTexels) ||
        offset % static_cast<std::uint64_t>(s.limits.textureBufferOffsetAlignment) != 0) {
        s.Report("GlDevice::CreateBufferView(): elements " + std::to_string(first) + " + " + std::to_string(count) +
                 " do not fit the buffer or its alignment");
        return ImageViewId::Null();
    }
    gl::GlView view;
    glCreateTextures(GL_TEXTURE_BUFFER, 1, &view.texture);
    // GL has no empty range; an empty view reads the whole (unused) storage.
    if (count > 0)
        glTextureBufferRange(view.texture, viewFormat->internalFormat, buffer->name, static_cast<GLintptr>(offset),
                             static_cast<GLsizeiptr>(bytes));
    else
        glTextureBuffer(view.texture, viewFormat->internalFormat, buffer->name);
    return s.views.Insert(view);
}

ImageViewId GlDevice::CreateImageView(ImageId imageId, const ImageViewDesc& desc) {
    State& s = *state_;
    const gl::GlImage* image = s.images.Find(imageId);
    if (image == nullptr) return ImageViewId::Null();
    if (image->IsStaging() || !IsZero(desc)) {
        s.Report(image->IsStaging() ? "GlDevice::CreateImageView(): a staging image has no view"
                                    : "GlDevice::CreateImageView(): only the whole image in its own format is viewed");
        return ImageViewId::Null();
    }
    // A view texture shares the image's storage and keeps it alive, so a view
    // outliving its image never samples a deleted or recycled texture.
    // glTextureView wants a name that was generated, not created.
    gl::GlView view;
    glGenTextures(1, &view.texture);
    glTextureView(view.texture, image->target, image->texture, image->format->internalFormat, 0, image->levels, 0, 1);
    return s.views.Insert(view);
}

void GlDevice::DestroyImageView(ImageViewId id) {
    State& s = *state_;
    if (std::optional<gl::GlView> view = s.views.Remove(id)) s.DeleteView(*view);
}

SamplerId GlDevice::CreateSampler(const SamplerDesc& desc) {
    State& s = *state_;
    GLint filter = 0, wrap = 0;
    switch (desc.filter) {
        case kFilterNearest: filter = GL_NEAREST; break;
        case kFilterLinear: filter = GL_LINEAR; break;
        default: s.Report("GlDevice::CreateSampler(): unsupported filter " + std::to_string(desc.filter)); return {};
    }
    switch (desc.address) {
        case kAddressRepeat: wrap = GL_REPEAT; break;
        case kAddressClamp: wrap = GL_CLAMP_TO_EDGE; break;
        default: s.Report("GlDevice::CreateSampler(): unsupported address " + std::to_string(desc.address)); return {};
    }
    const gl::GlSampler sampler{(std::uint64_t{desc.filter} << 32) | desc.address};
    gl::SharedSampler& shared = s.sharedSamplers[sampler.key];
    if (shared.users++ == 0) {
        glCreateSamplers(1, &shared.name);
        glSamplerParameteri(shared.name, GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(shared.name, GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(shared.name, GL_TEXTURE_WRAP_S, wrap);
        glSamplerParameteri(shared.name, GL_TEXTURE_WRAP_T, wrap);
        glSamplerParameteri(shared.name, GL_TEXTURE_WRAP_R, wrap);
    }
    return s.samplers.Insert(sampler);
}

void GlDevice::DestroySampler(SamplerId id) {
    State& s = *state_;
    if (std::optional<gl::GlSampler> sampler = s.samplers.Remove(id)) s.ReleaseSampler(*sampler);
}

}  // namespace Korvex::Rendering
