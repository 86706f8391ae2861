#include "GlFramebufferCache.h"

#include <algorithm>
#include <limits>

namespace Korvex::Rendering::gl {

std::size_t GlFramebufferCache::TargetIdsHash::operator()(const TargetIds& targets) const {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (ImageId id : targets) hash = (hash ^ id.value) * 0x100000001b3ull;
    return static_cast<std::size_t>(hash);
}

GlFramebuffer* GlFramebufferCache::Find(const TargetIds& targets) {
    auto it = entries_.find(targets);
    return it != entries_.end() ? &it->second : nullptr;
}

GlFramebuffer* GlFramebufferCache::Add(const TargetIds& targets,
                                       const std::array<FramebufferAttachment, kRenderTargetCount>& attachments,
                                       std::string* error) {
    GlFramebuffer framebuffer;
    framebuffer.width = std::numeric_limits<GLsizei>::max();
    framebuffer.height = std::numeric_limits<GLsizei>::max();
    glCreateFramebuffers(1, &framebuffer.name);
    for (std::size_t k = 0; k < kRenderTargetCount; ++k) {
        const FramebufferAttachment& attachment = attachments[k];
        if (attachment.texture == 0) continue;
        const GLenum point = k == kTargetDepthStencil ? GL_DEPTH_STENCIL_ATTACHMENT
                                                      : GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(k);
        glNamedFramebufferTexture(framebuffer.name, point, attachment.texture, 0);
        if (k < kColorTargets) framebuffer.colorAttached[k] = true;
        framebuffer.width = std::min(framebuffer.width, attachment.width);
        framebuffer.height = std::min(framebuffer.height, attachment.height);
    }
    const GLenum status = glCheckNamedFramebufferStatus(framebuffer.name, GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        *error = "incomplete framebuffer (status " + std::to_string(status) + ")";
        glDeleteFramebuffers(1, &framebuffer.name);
        return nullptr;
    }
    return &entries_.emplace(targets, framebuffer).first->second;
}

void GlFramebufferCache::SetDrawBuffers(GlFramebuffer& framebuffer,
                                        const std::array<bool, kColorTargets>& pipelineTargets,
                                        std::uint64_t& counter) {
    std::array<GLenum, kColorTargets> wanted{};
    for (std::size_t k = 0; k < kColorTargets; ++k)
        wanted[k] = framebuffer.colorAttached[k] && pipelineTargets[k] ? GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(k)
                                                                        : GL_NONE;
    SetIfChanged(framebuffer.drawBuffers, wanted, counter, [&] {
        glNamedFramebufferDrawBuffers(framebuffer.name, static_cast<GLsizei>(wanted.size()), wanted.data());
    });
}

bool GlFramebufferCache::RemoveImage(ImageId image, GlStateShadow& shadow) {
    const std::size_t removed = std::erase_if(entries_, [&](auto& entry) {
        if (std::find(entry.first.begin(), entry.first.end(), image) == entry.first.end()) return false;
        shadow.ForgetFramebuffer(entry.second.name);
        glDeleteFramebuffers(1, &entry.second.name);
        return true;
    });
    return removed != 0;
}

void GlFramebufferCache::Clear(GlStateShadow& shadow) {
    for (auto& [targets, framebuffer] : entries_) {
        shadow.ForgetFramebuffer(framebuffer.name);
        glDeleteFramebuffers(1, &framebuffer.name);
    }
    entries_.clear();
}

}  // namespace Korvex::Rendering::gl
