#pragma once

#include "GlApi.h"

#include <cstdint>
#include <optional>

// Host codes to GL enums. Every mapping answers nothing for a code it does
// not know, so callers reject the description instead of guessing.
namespace Korvex::Rendering::gl {

struct ImageFormat {
    GLenum internalFormat;
    GLenum pixelFormat;  // client-side layout for uploads and readback
    GLenum pixelType;
    std::uint32_t texelSize;
    bool colorRenderable;
    bool depthStencil;
};
const ImageFormat* FindImageFormat(std::uint32_t code);

struct BufferViewFormat {
    GLenum internalFormat;
    std::uint32_t elementSize;
};
const BufferViewFormat* FindBufferViewFormat(std::uint32_t code);

struct VertexFormat {
    GLint components;
    GLenum type;
    GLboolean normalized;
    std::uint32_t size;
};
const VertexFormat* FindVertexFormat(std::uint32_t code);

struct IndexFormat {
    GLenum type;
    std::uint32_t size;
};
const IndexFormat* FindIndexFormat(std::uint32_t code);

std::optional<GLenum> CompareFunction(std::uint32_t code);
std::optional<GLenum> StencilOperation(std::uint32_t code);

struct PrimitiveTopology {
    GLenum mode;
    GLint patchVertices;  // 0 unless mode is GL_PATCHES
};
std::optional<PrimitiveTopology> FindTopology(std::uint32_t code);

}  // namespace Korvex::Rendering::gl
