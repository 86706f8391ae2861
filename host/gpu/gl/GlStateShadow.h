#pragma once

#include "GlApi.h"

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <array>
#include <cstdint>

namespace Korvex::Rendering::gl {

// Runs call() and counts it only when wanted differs from current; the one
// compare-then-set step behind every shadowed piece of GL state.
template <class T, class F>
void SetIfChanged(T& current, const T& wanted, std::uint64_t& counter, F&& call) {
    if (current == wanted) return;
    current = wanted;
    ++counter;
    call();
}

struct StencilFace {
    GLenum function = GL_ALWAYS;
    GLenum failOp = GL_KEEP;
    GLenum depthFailOp = GL_KEEP;
    GLenum passOp = GL_KEEP;
    friend bool operator==(const StencilFace&, const StencilFace&) = default;
};

// Fixed-function state of a pipeline plus the draw call's stencil reference.
// Default values are GL's initial state.
struct RasterState {
    bool cullEnabled = false;
    GLenum cullFace = GL_BACK;
    GLenum frontFace = GL_CCW;
    bool depthTest = false;
    GLenum depthFunction = GL_LESS;
    bool depthWrite = true;
    bool stencilTest = false;
    StencilFace stencilFront;
    StencilFace stencilBack;
    GLint stencilReference = 0;
    bool colorWrite0 = true;
    bool blend0 = false;
    GLint patchVertices = 3;
    GLuint clipDistances = 0;  // GL_CLIP_DISTANCE0 and up, as many as the program writes
    friend bool operator==(const RasterState&, const RasterState&) = default;
};

// The device's one copy of the context's state. Objects deleted by the device
// are forgotten here, because GL unbinds them and may reuse their names.
class GlStateShadow {
public:
    void ApplyRaster(const RasterState& wanted);
    // Clears honour the depth mask; this keeps the shadow in step.
    void SetDepthWrite(bool on);

    void BindFramebuffer(GLuint framebuffer);
    void SetViewport(GLsizei width, GLsizei height);
    void UseProgram(GLuint program);
    void BindVertexArray(GLuint vertexArray);
    void BindUniformBuffer(std::uint32_t slot, GLuint buffer);
    void BindTexture(std::uint32_t unit, GLuint texture);
    void BindSampler(std::uint32_t unit, GLuint sampler);

    void ForgetBuffer(GLuint buffer);
    void ForgetTexture(GLuint texture);
    void ForgetSampler(GLuint sampler);
    void ForgetProgram(GLuint program);
    void ForgetVertexArray(GLuint vertexArray);
    void ForgetFramebuffer(GLuint framebuffer);

    // GL state calls issued so far (calls the shadow found redundant are not).
    std::uint64_t StateCalls() const { return calls_; }
    // Where per-object state (vertex array buffers, draw buffers) counts its calls.
    std::uint64_t& Counter() { return calls_; }

private:
    void ApplyRasterFields(const RasterState& wanted);

    RasterState raster_;
    GLuint framebuffer_ = 0;
    std::array<GLsizei, 2> viewport_{-1, -1};
    GLuint program_ = 0;
    GLuint vertexArray_ = 0;
    std::array<GLuint, kMaxConstantBufferBindings> uniformBuffers_{};
    std::array<GLuint, kMaxResourceBindings> textures_{};
    std::array<GLuint, kMaxResourceBindings> samplers_{};
    std::uint64_t calls_ = 0;
};

}  // namespace Korvex::Rendering::gl
