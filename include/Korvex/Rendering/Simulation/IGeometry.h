#pragma once

#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/Simulation/INamedObject.h>
#include <Korvex/Rendering/boundingbox.h>

#include <cstdint>
#include <limits>

namespace Korvex::Rendering {

// Position then normal, 24 bytes.
struct VertexPN {
    float position[3];
    float normal[3];
};
static_assert(sizeof(VertexPN) == 24);

// Geometry the line and triangle meshes draw.
class IGeometry : public INamedObject {
public:
    virtual boundingbox<float, 3> GetBoundingBox() const = 0;
    virtual VertexInputState GetVertexInputState() const = 0;
    virtual void SubmitDrawsWithState(ICommandList& commands, const PipelineStateDesc& state) = 0;
    virtual void SubmitDrawsInstanced(ICommandList* const* commands, std::uint64_t instanceCount) = 0;
    virtual void SubmitDraws(ICommandList& commands) = 0;
    virtual bool IsReady() const { return true; }
    // Whether the triangles enclose a volume: every edge, its ends compared
    // by position, shared by exactly two triangles that run along it in
    // opposite directions. Only then can the triangle mesh tell inside from
    // outside and cap the cuts of its clip planes; an open surface (a plate,
    // a shell, a surface cut open) is drawn without caps. Lines are open.
    virtual bool IsClosed() const = 0;
    // The length of the longest edge of any primitive, in model space: when
    // it is at most the smallest grid cell, the triangle mesh deforms the
    // vertices as they are instead of refining the surface first. Infinite
    // when unknown or when a coordinate is not finite.
    virtual float GetLongestEdge() const { return std::numeric_limits<float>::infinity(); }
};

}  // namespace Korvex::Rendering
