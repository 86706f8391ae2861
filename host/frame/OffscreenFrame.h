#pragma once

#include "RenderPasses.h"

#include <GlDevice.h>
#include <Korvex/Rendering/Gpu/ResourceCache.h>
#include <Korvex/Rendering/Simulation/IRenderable.h>
#include <Korvex/Rendering/array_view.h>

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Korvex::Rendering {

// What the probe targets hold at one pixel.
struct ProbeTexel {
    float value = 0.0f;  // kNoProbeValue where nothing was drawn
    float depth = 1.0f;  // projected depth: 0 at the near plane, 1 at the far plane
};

struct FrameDesc {
    std::uint32_t width = 64;
    std::uint32_t height = 64;
    bool probeTargets = true;  // probe value and probe depth targets
    std::array<float, 4> background{0.0f, 0.0f, 0.0f, 1.0f};
};

// The host's offscreen render loop: the five targets of a pass, the passes
// per technique, the host's resource cache and readback. Destroy it before
// its device; that releases the targets and everything in the cache.
class OffscreenFrame {
public:
    // What the probe value target holds where nothing was drawn.
    static constexpr float kNoProbeValue = std::numeric_limits<float>::quiet_NaN();

    static std::unique_ptr<OffscreenFrame> Create(GlDevice& device, const FrameDesc& desc, std::string* error);
    ~OffscreenFrame();
    OffscreenFrame(const OffscreenFrame&) = delete;
    OffscreenFrame& operator=(const OffscreenFrame&) = delete;

    // New targets of another size; the cache, and so every compiled
    // program, is kept. False and *error, with no targets, when the device
    // refuses them.
    bool Resize(std::uint32_t width, std::uint32_t height, std::string* error);

    // Colour to the background, probe value to kNoProbeValue, probe depth
    // and depth to 1, stencil to 0.
    void Clear();

    // Draws opaque and capped techniques, then transparent ones, each in list
    // order; renderables of other techniques are skipped. Answers how many
    // were drawn.
    std::size_t Draw(array_view<IRenderable* const> renderables);

    // Rows bottom first, as the targets hold them.
    std::vector<std::uint8_t> ReadColor() const;
    std::vector<float> ReadProbeValue() const;  // empty without probe targets
    std::vector<float> ReadProbeDepth() const;
    DepthStencilTexels ReadDepthStencil() const;
    // The probe targets at one pixel, (x, y) from the bottom left; empty
    // without probe targets or outside the frame.
    std::optional<ProbeTexel> ReadProbeAt(std::uint32_t x, std::uint32_t y) const;
    // The colour target as a PNG with the top row first.
    bool WriteColorPng(const std::string& path, std::string* error) const;

    ResourceCache& Cache() { return cache_; }
    const RenderPassDesc& Pass(PassKind kind) const { return passes_[static_cast<std::size_t>(kind)]; }
    const FrameTargets& Targets() const { return targets_; }
    std::uint32_t Width() const { return desc_.width; }
    std::uint32_t Height() const { return desc_.height; }

private:
    OffscreenFrame(GlDevice& device, const FrameDesc& desc);
    bool MakeTargets(const char* caller, std::string* error);
    void DestroyTargets();

    GlDevice& device_;
    FrameDesc desc_;
    FrameTargets targets_;
    std::array<RenderPassDesc, 2> passes_;
    ResourceCache cache_;
};

}  // namespace Korvex::Rendering
