#pragma once

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Gpu/Ids.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Korvex::Rendering {

inline constexpr std::size_t kMaxVertexAttributes = 10;
inline constexpr std::size_t kMaxConstantBufferBindings = 8;
inline constexpr std::size_t kMaxResourceBindings = 16;

struct BufferDesc {
    std::uint32_t size = 0;
    std::uint32_t usage = 0;
};

// height 0 and depth 0: 1D image; depth 0: 2D image; otherwise 3D.
struct ImageDesc {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;
    std::uint32_t format = 0;
    std::uint32_t mipLevels = 1;
    std::uint32_t arraySize = 1;
    std::uint32_t usage = 0;
};

struct ImageViewDesc {
    std::uint8_t reserved[16] = {};  // all zero: the whole image, its own format
};

struct ImageInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

struct MappedImage {
    void* data = nullptr;
    std::uint32_t rowPitch = 0;
    std::uint32_t slicePitch = 0;
};

// A box of texels; all zero means the whole image.
struct SubImage {
    std::uint32_t x = 0, y = 0, z = 0;
    std::uint32_t width = 0, height = 0, depth = 0;
    std::uint32_t mipLevel = 0;

    bool IsWholeImage() const { return width == 0 && height == 0 && depth == 0 && x == 0 && y == 0 && z == 0; }
};

struct SamplerDesc {
    std::uint32_t filter = kFilterLinear;
    std::uint32_t address = kAddressClamp;
};

enum ShaderStage : std::size_t {
    kStageIndexVertex = 0,
    kStageIndexHull = 1,
    kStageIndexDomain = 2,
    kStageIndexGeometry = 3,
    kStageIndexPixel = 4,
    kShaderStageCount = 5,
};

// Stage texts in the order vertex, hull, domain, geometry, pixel; empty = absent.
struct ShaderStageSources {
    std::array<std::string, kShaderStageCount> stages;
};

struct VertexAttribute {
    const char* name = nullptr;  // semantic; null marks an unused entry
    std::uint32_t slot = 0;
    std::uint32_t format = 0;
    std::uint32_t reserved[3] = {};
    std::uint32_t hostPrivate = 0;  // explicit, so whole-struct hashes see no padding
};
static_assert(sizeof(VertexAttribute) == 32);

using VertexInputState = std::array<VertexAttribute, kMaxVertexAttributes>;

// Fields the library writes are named after what they do; "hostPrivate"
// bytes are the device's own and are copied along untouched.
struct PipelineStateDesc {
    VertexInputState vertexInput;
    std::uint8_t hostPrivate320[16] = {};
    ProgramId program;
    std::uint32_t topology = kTopologyTriangleList;
    // 348: rasteriser block, copied from the pass.
    std::uint32_t cullMode = kCullNone;
    std::uint32_t frontFace = kFrontFaceCounterClockwise;
    std::uint32_t hostPrivate356[2] = {};
    // 364
    std::uint32_t blendMode = kBlendOff;
    // 368: depth-stencil block, copied from the pass.
    std::uint32_t stencilCompareFront = kCompareAlways;
    std::uint32_t stencilCompareBack = kCompareAlways;
    std::uint32_t hostPrivate376 = 0;
    std::uint32_t depthCompare = kCompareLess;
    std::uint8_t depthWrite = 1;
    std::uint8_t hostPrivate385[3] = {};
    std::uint32_t stencilFailOpFront = kStencilKeep;
    std::uint32_t stencilDepthFailOpFront = kStencilKeep;
    std::uint32_t stencilPassOpFront = kStencilKeep;
    std::uint32_t stencilFailOpBack = kStencilKeep;
    std::uint32_t stencilDepthFailOpBack = kStencilKeep;
    std::uint32_t stencilPassOpBack = kStencilKeep;
    std::uint32_t hostPrivate412[3] = {};
    // 424: write enable of target 0 (the pass copies a u32 here, the library a byte).
    std::uint8_t colorWrite = 1;
    std::uint8_t hostPrivate425[3] = {};
    std::uint32_t targetFormats[kRenderTargetCount] = {};
    std::uint32_t target1Flags = 0;  // the pass's target 1 record, first field
    std::uint32_t hostPrivate452 = 0;
};

struct ConstantBufferBinding {
    BufferId buffer;
    std::uint32_t stageMask = 0;
};
struct ResourceBinding {
    ImageViewId view;
    SamplerId sampler;
    std::uint32_t stageMask = 0;
};

struct DrawCallDesc {
    ConstantBufferBinding constantBuffers[kMaxConstantBufferBindings];
    ResourceBinding resources[kMaxResourceBindings];
    std::uint32_t stencilReference = 0;
    ImageId targets[kRenderTargetCount];
};

struct RenderTargetRecord {
    std::uint32_t writeEnable = 0;
    ImageId image;
    std::uint32_t format = 0;
};

// What the library reads of a pass: the settings block at 868 (copied into
// PipelineStateDesc 348..424) and the five target records at 944.
struct RenderPassDesc {
    std::uint8_t hostPrivate0[868] = {};
    std::uint32_t cullMode = kCullNone;
    std::uint32_t frontFace = kFrontFaceCounterClockwise;
    std::uint32_t hostPrivate876[2] = {};
    std::uint32_t blendMode = kBlendOff;
    std::uint32_t stencilCompareFront = kCompareAlways;
    std::uint32_t stencilCompareBack = kCompareAlways;
    std::uint32_t hostPrivate896 = 0;
    std::uint32_t depthCompare = kCompareLess;
    std::uint8_t depthWrite = 1;
    std::uint8_t hostPrivate905[3] = {};
    std::uint32_t stencilFailOpFront = kStencilKeep;
    std::uint32_t stencilDepthFailOpFront = kStencilKeep;
    std::uint32_t stencilPassOpFront = kStencilKeep;
    std::uint32_t stencilFailOpBack = kStencilKeep;
    std::uint32_t stencilDepthFailOpBack = kStencilKeep;
    std::uint32_t stencilPassOpBack = kStencilKeep;
    std::uint32_t hostPrivate932[3] = {};
    RenderTargetRecord targets[kRenderTargetCount];
};

// Offsets the library relies on.
static_assert(offsetof(PipelineStateDesc, vertexInput) == 0);
static_assert(offsetof(PipelineStateDesc, hostPrivate320) == 320);
static_assert(offsetof(PipelineStateDesc, program) == 336);
static_assert(offsetof(PipelineStateDesc, topology) == 344);
static_assert(offsetof(PipelineStateDesc, cullMode) == 348);
static_assert(offsetof(PipelineStateDesc, frontFace) == 352);
static_assert(offsetof(PipelineStateDesc, blendMode) == 364);
static_assert(offsetof(PipelineStateDesc, stencilCompareFront) == 368);
static_assert(offsetof(PipelineStateDesc, stencilCompareBack) == 372);
static_assert(offsetof(PipelineStateDesc, depthCompare) == 380);
static_assert(offsetof(PipelineStateDesc, depthWrite) == 384);
static_assert(offsetof(PipelineStateDesc, stencilPassOpFront) == 396);
static_assert(offsetof(PipelineStateDesc, stencilPassOpBack) == 408);
static_assert(offsetof(PipelineStateDesc, colorWrite) == 424);
static_assert(offsetof(PipelineStateDesc, targetFormats) == 428);
static_assert(offsetof(PipelineStateDesc, target1Flags) == 448);
static_assert(sizeof(PipelineStateDesc) == 456);

static_assert(offsetof(DrawCallDesc, constantBuffers) == 0);
static_assert(sizeof(ConstantBufferBinding) == 12);
static_assert(offsetof(DrawCallDesc, resources) == 96);
static_assert(sizeof(ResourceBinding) == 20);
static_assert(offsetof(DrawCallDesc, stencilReference) == 416);
static_assert(offsetof(DrawCallDesc, targets) == 420);
static_assert(sizeof(DrawCallDesc) == 460);

static_assert(offsetof(RenderPassDesc, cullMode) == 868);
static_assert(offsetof(RenderPassDesc, blendMode) == 884);
static_assert(offsetof(RenderPassDesc, stencilCompareFront) == 888);
static_assert(offsetof(RenderPassDesc, depthWrite) == 904);
static_assert(offsetof(RenderPassDesc, stencilFailOpBack) == 920);
static_assert(offsetof(RenderPassDesc, hostPrivate932) + 4 == 936);
static_assert(offsetof(RenderPassDesc, targets) == 944);
static_assert(sizeof(RenderTargetRecord) == 16);

}  // namespace Korvex::Rendering
