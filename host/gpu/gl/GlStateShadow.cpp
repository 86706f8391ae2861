#include "GlStateShadow.h"

#include <algorithm>

namespace Korvex::Rendering::gl {

namespace {

void Enable(GLenum capability, bool on) {
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

template <std::size_t N>
void Forget(std::array<GLuint, N>& bound, GLuint name) {
    for (GLuint& entry : bound)
        if (entry == name) entry = 0;
}

}  // namespace

void GlStateShadow::ApplyRaster(const RasterState& wanted) {
    // A repeated pipeline costs one comparison.
    if (raster_ == wanted) return;
    ApplyRasterFields(wanted);
}

void GlStateShadow::ApplyRasterFields(const RasterState& w) {
    RasterState& c = raster_;
    SetIfChanged(c.cullEnabled, w.cullEnabled, calls_, [&] { Enable(GL_CULL_FACE, w.cullEnabled); });
    SetIfChanged(c.cullFace, w.cullFace, calls_, [&] { glCullFace(w.cullFace); });
    SetIfChanged(c.frontFace, w.frontFace, calls_, [&] { glFrontFace(w.frontFace); });
    SetIfChanged(c.depthTest, w.depthTest, calls_, [&] { Enable(GL_DEPTH_TEST, w.depthTest); });
    SetIfChanged(c.depthFunction, w.depthFunction, calls_, [&] { glDepthFunc(w.depthFunction); });
    SetIfChanged(c.depthWrite, w.depthWrite, calls_, [&] { glDepthMask(w.depthWrite ? GL_TRUE : GL_FALSE); });
    SetIfChanged(c.stencilTest, w.stencilTest, calls_, [&] { Enable(GL_STENCIL_TEST, w.stencilTest); });

    // Function and reference travel together in GL; the reference is shared.
    const bool referenceChanged = c.stencilReference != w.stencilReference;
    c.stencilReference = w.stencilReference;
    const auto applyFace = [&](GLenum face, StencilFace& current, const StencilFace& wanted) {
        if (referenceChanged || current.function != wanted.function) {
            ++calls_;
            glStencilFuncSeparate(face, wanted.function, w.stencilReference, 0xFF);
        }
        if (current.failOp != wanted.failOp || current.depthFailOp != wanted.depthFailOp ||
            current.passOp != wanted.passOp) {
            ++calls_;
            glStencilOpSeparate(face, wanted.failOp, wanted.depthFailOp, wanted.passOp);
        }
        current = wanted;
    };
    applyFace(GL_FRONT, c.stencilFront, w.stencilFront);
    applyFace(GL_BACK, c.stencilBack, w.stencilBack);

    SetIfChanged(c.colorWrite0, w.colorWrite0, calls_, [&] {
        const GLboolean on = w.colorWrite0 ? GL_TRUE : GL_FALSE;
        glColorMaski(0, on, on, on, on);
    });
    SetIfChanged(c.blend0, w.blend0, calls_, [&] {
        if (w.blend0)
            glEnablei(GL_BLEND, 0);
        else
            glDisablei(GL_BLEND, 0);
    });
    SetIfChanged(c.patchVertices, w.patchVertices, calls_,
                 [&] { glPatchParameteri(GL_PATCH_VERTICES, w.patchVertices); });
    // An enabled clip distance that the program does not write is undefined.
    for (GLuint i = std::min(c.clipDistances, w.clipDistances); i < std::max(c.clipDistances, w.clipDistances); ++i) {
        ++calls_;
        Enable(GL_CLIP_DISTANCE0 + i, i < w.clipDistances);
    }
    c.clipDistances = w.clipDistances;
}

void GlStateShadow::SetDepthWrite(bool on) {
    SetIfChanged(raster_.depthWrite, on, calls_, [&] { glDepthMask(on ? GL_TRUE : GL_FALSE); });
}

void GlStateShadow::BindFramebuffer(GLuint framebuffer) {
    SetIfChanged(framebuffer_, framebuffer, calls_, [&] { glBindFramebuffer(GL_FRAMEBUFFER, framebuffer); });
}

void GlStateShadow::SetViewport(GLsizei width, GLsizei height) {
    SetIfChanged(viewport_, {width, height}, calls_, [&] { glViewport(0, 0, width, height); });
}

void GlStateShadow::UseProgram(GLuint program) {
    SetIfChanged(program_, program, calls_, [&] { glUseProgram(program); });
}

void GlStateShadow::BindVertexArray(GLuint vertexArray) {
    SetIfChanged(vertexArray_, vertexArray, calls_, [&] { glBindVertexArray(vertexArray); });
}

void GlStateShadow::BindUniformBuffer(std::uint32_t slot, GLuint buffer) {
    SetIfChanged(uniformBuffers_[slot], buffer, calls_, [&] { glBindBufferBase(GL_UNIFORM_BUFFER, slot, buffer); });
}

void GlStateShadow::BindTexture(std::uint32_t unit, GLuint texture) {
    SetIfChanged(textures_[unit], texture, calls_, [&] { glBindTextureUnit(unit, texture); });
}

void GlStateShadow::BindSampler(std::uint32_t unit, GLuint sampler) {
    SetIfChanged(samplers_[unit], sampler, calls_, [&] { glBindSampler(unit, sampler); });
}

void GlStateShadow::ForgetBuffer(GLuint buffer) { Forget(uniformBuffers_, buffer); }
void GlStateShadow::ForgetTexture(GLuint texture) { Forget(textures_, texture); }
void GlStateShadow::ForgetSampler(GLuint sampler) { Forget(samplers_, sampler); }

void GlStateShadow::ForgetProgram(GLuint program) {
    // A deleted program stays in use until another is installed: drop it now
    // so that the name cannot come back as a "current" program.
    if (program_ == program) {
        glUseProgram(0);
        program_ = 0;
    }
}

void GlStateShadow::ForgetVertexArray(GLuint vertexArray) {
    if (vertexArray_ == vertexArray) vertexArray_ = 0;
}

void GlStateShadow::ForgetFramebuffer(GLuint framebuffer) {
    if (framebuffer_ == framebuffer) framebuffer_ = 0;
}

}  // namespace Korvex::Rendering::gl
