#pragma once

#include "GlApi.h"
#include "GlPipeline.h"
#include "GlStateShadow.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace Korvex::Rendering::gl {

using TargetIds = std::array<ImageId, kRenderTargetCount>;

// A 2D texture the device checked to be renderable in its place.
struct FramebufferAttachment {
    GLuint texture = 0;
    GLsizei width = 0;
    GLsizei height = 0;
};

struct GlFramebuffer {
    GLuint name = 0;
    GLsizei width = 0;  // the area every attachment covers
    GLsizei height = 0;
    std::array<bool, kColorTargets> colorAttached{};
    std::array<GLenum, kColorTargets> drawBuffers{GL_COLOR_ATTACHMENT0, GL_NONE, GL_NONE, GL_NONE};
};

// One framebuffer per set of target images, made on first use and deleted
// with the first of its images.
class GlFramebufferCache {
public:
    GlFramebufferCache() = default;
    GlFramebufferCache(const GlFramebufferCache&) = delete;
    GlFramebufferCache& operator=(const GlFramebufferCache&) = delete;

    GlFramebuffer* Find(const TargetIds& targets);
    // attachments[k] belongs to targets[k]; a null target has texture 0.
    GlFramebuffer* Add(const TargetIds& targets, const std::array<FramebufferAttachment, kRenderTargetCount>& attachments,
                       std::string* error);

    // Writes colour target k only where the pipeline gives it a format.
    static void SetDrawBuffers(GlFramebuffer& framebuffer, const std::array<bool, kColorTargets>& pipelineTargets,
                               std::uint64_t& counter);

    // True when a framebuffer was deleted.
    bool RemoveImage(ImageId image, GlStateShadow& shadow);
    void Clear(GlStateShadow& shadow);
    std::size_t Size() const { return entries_.size(); }

private:
    struct TargetIdsHash {
        std::size_t operator()(const TargetIds& targets) const;
    };
    std::unordered_map<TargetIds, GlFramebuffer, TargetIdsHash> entries_;
};

}  // namespace Korvex::Rendering::gl
