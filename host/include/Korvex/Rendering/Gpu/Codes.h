#pragma once

#include <cstdint>

// The numbers the library passes to the device and what they mean. The
// library writes these values; every device gives them the meaning below.
namespace Korvex::Rendering {

enum Format : std::uint32_t {
    kFormatUnknown = 0,
    kFormatRgba8Unorm = 6,       // gradient image, colour render target
    kFormatR16Uint = 19,         // 16-bit index
    kFormatR32Uint = 22,         // voxel buffer view element
    kFormatR32Float = 37,        // scalar grid texel, probe render targets
    kFormatRgb32Float = 39,      // vertex attribute
    kFormatRgba32Float = 40,     // vector grid texel
    kFormatDepth24Stencil8 = 45, // depth-stencil render target
};

enum ImageUsage : std::uint32_t {
    kImageUsageSampled = 1,
    kImageUsageCpuWrite = 16,      // mappable staging image
    kImageUsageCopySource = 32,
    kImageUsageCopyDestination = 64,
    kImageUsageColorTarget = 128,
    kImageUsageDepthStencilTarget = 256,
};

enum BufferUsage : std::uint32_t {
    kBufferUsageVertex = 1,
    kBufferUsageIndex = 2,
    kBufferUsageConstant = 4,
    kBufferUsageDynamic = 32,      // rewritten by Update; a constant buffer is 4 | 32
    kBufferUsageShaderRead = 256,  // read through a buffer view
};

enum SamplerFilter : std::uint32_t { kFilterNearest = 0, kFilterLinear = 2 };
enum SamplerAddress : std::uint32_t { kAddressRepeat = 0, kAddressClamp = 1 };

enum Topology : std::uint32_t {
    kTopologyPoints = 0,
    kTopologyLineList = 1,
    kTopologyTriangleList = 2,
    kTopologyPatch2 = 4,
    kTopologyPatch3 = 5,
};

enum CullMode : std::uint32_t { kCullNone = 0, kCullFront = 1, kCullBack = 2 };
enum FrontFace : std::uint32_t { kFrontFaceCounterClockwise = 0, kFrontFaceClockwise = 1 };

// One set of codes for depth and stencil tests; "always" turns a test off.
enum CompareOp : std::uint32_t {
    kCompareAlways = 0,
    kCompareNever = 1,
    kCompareLess = 2,
    kCompareEqual = 3,
    kCompareLessEqual = 4,
    kCompareGreater = 5,
    kCompareNotEqual = 6,
    kCompareGreaterEqual = 7,
};

enum StencilOp : std::uint32_t {
    kStencilKeep = 0,
    kStencilIncrementWrap = 1,
    kStencilDecrementWrap = 2,
    kStencilZero = 3,
    kStencilReplace = 4,
};

enum BlendMode : std::uint32_t { kBlendOff = 0, kBlendAlpha = 1 };

enum MapMode : std::uint32_t { kMapWrite = 1 };

// Stage bits of resource bindings, in ShaderStageSources order.
enum StageMask : std::uint32_t {
    kStageVertex = 1,
    kStageHull = 2,
    kStageDomain = 4,
    kStageGeometry = 8,
    kStagePixel = 16,
};

// Render targets of a pass and of a DrawCallDesc.
enum RenderTarget : std::uint32_t {
    kTargetColor = 0,
    kTargetProbeValue = 1,
    kTargetProbeDepth = 2,
    kTargetUnused = 3,
    kTargetDepthStencil = 4,
    kRenderTargetCount = 5,
};

}  // namespace Korvex::Rendering
