#include "GlFormats.h"

#include <Korvex/Rendering/Gpu/Codes.h>

namespace Korvex::Rendering::gl {

const ImageFormat* FindImageFormat(std::uint32_t code) {
    static constexpr ImageFormat kRgba8{GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, true, false};
    static constexpr ImageFormat kR32F{GL_R32F, GL_RED, GL_FLOAT, 4, true, false};
    static constexpr ImageFormat kRgba32F{GL_RGBA32F, GL_RGBA, GL_FLOAT, 16, true, false};
    // Texel layout as glGetTextureImage packs it: stencil in the low byte.
    static constexpr ImageFormat kDepth24Stencil8{GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8,
                                                  4, false, true};
    switch (code) {
        case kFormatRgba8Unorm: return &kRgba8;
        case kFormatR32Float: return &kR32F;
        case kFormatRgba32Float: return &kRgba32F;
        case kFormatDepth24Stencil8: return &kDepth24Stencil8;
        default: return nullptr;
    }
}

const BufferViewFormat* FindBufferViewFormat(std::uint32_t code) {
    static constexpr BufferViewFormat kR32Uint{GL_R32UI, 4};
    static constexpr BufferViewFormat kR32Float{GL_R32F, 4};
    static constexpr BufferViewFormat kRgba32Float{GL_RGBA32F, 16};
    switch (code) {
        case kFormatR32Uint: return &kR32Uint;
        case kFormatR32Float: return &kR32Float;
        case kFormatRgba32Float: return &kRgba32Float;
        default: return nullptr;
    }
}

const VertexFormat* FindVertexFormat(std::uint32_t code) {
    static constexpr VertexFormat kFloat{1, GL_FLOAT, GL_FALSE, 4};
    static constexpr VertexFormat kFloat3{3, GL_FLOAT, GL_FALSE, 12};
    static constexpr VertexFormat kFloat4{4, GL_FLOAT, GL_FALSE, 16};
    static constexpr VertexFormat kUnorm4{4, GL_UNSIGNED_BYTE, GL_TRUE, 4};
    switch (code) {
        case kFormatR32Float: return &kFloat;
        case kFormatRgb32Float: return &kFloat3;
        case kFormatRgba32Float: return &kFloat4;
        case kFormatRgba8Unorm: return &kUnorm4;
        default: return nullptr;
    }
}

const IndexFormat* FindIndexFormat(std::uint32_t code) {
    static constexpr IndexFormat kUint16{GL_UNSIGNED_SHORT, 2};
    static constexpr IndexFormat kUint32{GL_UNSIGNED_INT, 4};
    switch (code) {
        case kFormatR16Uint: return &kUint16;
        case kFormatR32Uint: return &kUint32;
        default: return nullptr;
    }
}

std::optional<GLenum> CompareFunction(std::uint32_t code) {
    switch (code) {
        case kCompareAlways: return GL_ALWAYS;
        case kCompareNever: return GL_NEVER;
        case kCompareLess: return GL_LESS;
        case kCompareEqual: return GL_EQUAL;
        case kCompareLessEqual: return GL_LEQUAL;
        case kCompareGreater: return GL_GREATER;
        case kCompareNotEqual: return GL_NOTEQUAL;
        case kCompareGreaterEqual: return GL_GEQUAL;
        default: return std::nullopt;
    }
}

std::optional<GLenum> StencilOperation(std::uint32_t code) {
    switch (code) {
        case kStencilKeep: return GL_KEEP;
        case kStencilIncrementWrap: return GL_INCR_WRAP;
        case kStencilDecrementWrap: return GL_DECR_WRAP;
        case kStencilZero: return GL_ZERO;
        case kStencilReplace: return GL_REPLACE;
        default: return std::nullopt;
    }
}

std::optional<PrimitiveTopology> FindTopology(std::uint32_t code) {
    switch (code) {
        case kTopologyPoints: return PrimitiveTopology{GL_POINTS, 0};
        case kTopologyLineList: return PrimitiveTopology{GL_LINES, 0};
        case kTopologyTriangleList: return PrimitiveTopology{GL_TRIANGLES, 0};
        case kTopologyPatch2: return PrimitiveTopology{GL_PATCHES, 2};
        case kTopologyPatch3: return PrimitiveTopology{GL_PATCHES, 3};
        default: return std::nullopt;
    }
}

}  // namespace Korvex::Rendering::gl
