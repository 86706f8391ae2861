#pragma once

#include <Korvex/Rendering/Gpu/IGpu.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Korvex::Rendering {

// Depth in [0, 1] and stencil per texel, rows bottom first.
struct DepthStencilTexels {
    std::vector<float> depth;
    std::vector<std::uint8_t> stencil;
};

struct GlCallCounters {
    std::uint64_t stateCalls = 0;  // GL state changes that ran; redundant ones are skipped
    std::uint64_t draws = 0;       // draw calls that reached GL
};

// The host's device on OpenGL 4.5 core through headless EGL: a GPU driver's
// EGL device when there is one, Mesa's surfaceless platform (llvmpipe)
// otherwise. Its context is current on the creating thread, from which every
// call must come; creating or destroying another device changes the current
// context, and MakeCurrent() brings this one back. Bad input is rejected
// without a change of state: creation gives the null id, commands do
// nothing; Diagnostics() says why.
class GlDevice final : public IGpu {
public:
    static std::unique_ptr<GlDevice> Create(std::string* error);
    // A device on the context current on this thread, made by its owner (a
    // window's), which keeps it current and alive while the device lives.
    // platform: what Platform() answers ("window").
    static std::unique_ptr<GlDevice> CreateOnCurrentContext(const std::string& platform, std::string* error);
    ~GlDevice() override;
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    // --- IResourceFactory
    std::uint32_t GetMaxBufferSize() const override;
    BufferId CreateBuffer(const BufferDesc& desc, const void* data) override;
    ImageViewId CreateBufferView(BufferId buffer, std::uint32_t format, std::uint32_t first,
                                 std::uint32_t count) override;
    ImageId CreateImage(const ImageDesc& desc) override;
    ImageViewId CreateImageView(ImageId image, const ImageViewDesc& desc) override;
    SamplerId CreateSampler(const SamplerDesc& desc) override;
    PipelineStateId CreatePipelineState(const PipelineStateDesc& desc) override;
    void UpdateBuffer(BufferId buffer, std::uint32_t offset, std::uint32_t size, const void* data) override;
    bool WriteImage(ImageId image, const SubImage& region, const void* data, std::size_t size) override;
    void DestroyBuffer(BufferId id) override;
    void DestroyImage(ImageId id) override;
    void DestroyImageView(ImageViewId id) override;
    void DestroySampler(SamplerId id) override;
    void DestroyPipelineState(PipelineStateId id) override;

    // --- IImageAccess
    ImageInfo GetImageInfo(ImageId image) const override;
    MappedImage MapImage(ImageId image, std::uint32_t subresource, std::uint32_t mode) override;
    void UnmapImage(ImageId image, std::uint32_t subresource) override;

    // --- IProgramFactory
    ProgramId CreateProgram(const ShaderStageSources& sources) override;
    void DestroyProgram(ProgramId id) override;

    // --- ICommandList
    void BindDrawCall(PipelineStateId pipeline, const DrawCallDesc& drawCall) override;
    bool ApplyPipelineStateDesc(const PipelineStateDesc& state) override;
    void CopyImage(ImageId source, ImageId destination) override;
    void DrawIndexed(const VertexBufferIds& vertexBuffers, BufferId indexBuffer, std::uint32_t indexFormat,
                     std::uint32_t indexCount, std::uint32_t firstIndex, std::int32_t baseVertex) override;
    void DrawIndexedInstanced(std::uint64_t instanceCount, const VertexBufferIds& vertexBuffers,
                              BufferId indexBuffer, std::uint32_t indexFormat, std::uint32_t indexCount,
                              std::uint32_t firstIndex, std::int32_t baseVertex) override;
    void DrawVertices(const VertexBufferIds& vertexBuffers, std::uint32_t vertexCount,
                      std::uint32_t firstVertex) override;
    void ClearDepth(ImageId colorTarget, ImageId depthTarget, float depth) override;
    void ClearDepthStencil(ImageId colorTarget, ImageId depthTarget, float depth, std::uint8_t stencil) override;
    void ClearStencil(ImageId colorTarget, ImageId depthTarget, std::uint8_t stencil) override;

    // --- Host extensions (frame and tests)
    // Lowers the buffer size limit (GetMaxBufferSize, CreateBuffer), as a
    // device with less room would have it.
    void LimitBufferSize(std::uint32_t bytes);
    // Fills a colour image (RGBA8, R32F, RGBA32F) with one value, converted
    // to its format; false for other images.
    bool ClearImage(ImageId image, const std::array<float, 4>& value);
    // Texels of mip level 0, rows bottom first, slices in order; empty when
    // the image is not of the named format.
    std::vector<std::uint8_t> ReadRgba8(ImageId image) const;
    std::vector<float> ReadFloats(ImageId image) const;  // R32F: 1 float per texel, RGBA32F: 4
    // One texel of an R32F image, (x, y) from the bottom left; empty for
    // other images and outside the image.
    std::optional<float> ReadFloatTexel(ImageId image, std::uint32_t x, std::uint32_t y) const;
    // Copies a colour target to the default framebuffer of the current
    // context (a window's back buffer), scaled to width x height; both have
    // their first row at the bottom. False when the image is no colour target.
    bool BlitToDefaultFramebuffer(ImageId image, std::uint32_t width, std::uint32_t height);
    DepthStencilTexels ReadDepthStencil(ImageId image) const;

    // The log of the last CreateProgram: empty after success.
    const std::string& LastProgramLog() const;
    // Why calls were rejected, and GL debug output in debug builds.
    const std::vector<std::string>& Diagnostics() const;
    void ClearDiagnostics();

    std::string Renderer() const;            // GL_RENDERER
    const std::string& Platform() const;     // "device", "surfaceless" or the adopter's name
    // Objects made through IGpu calls and not yet destroyed.
    std::size_t LiveObjectCount() const;
    GlCallCounters Counters() const;
    // Makes this device's context current again after another was made
    // current; an adopted context is its owner's to make current.
    bool MakeCurrent() const;

private:
    struct State;
    explicit GlDevice(std::unique_ptr<State> state);
    // GL settings every device starts from, on the current context.
    static std::unique_ptr<GlDevice> Initialize(std::unique_ptr<State> state, const char* caller, std::string* error);

    std::unique_ptr<State> state_;
};

}  // namespace Korvex::Rendering
