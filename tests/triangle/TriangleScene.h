#pragma once

// A triangle mesh on the recording device, the program key rule written out,
// and the passes a recording shows.

#include "core/CacheKey.h"
#include "meshes/triangle/TriangleGridMesh.h"

#include <ExpectedKeys.h>
#include <MeshScene.h>

#include <map>
#include <optional>

namespace Korvex::Rendering::test_support {

using detail::TriangleConstants;

struct Variant {
    std::uint64_t planeCount = 0;
    bool deform = false;
    bool drawingPlane = false;
    bool probeValue = false;
    bool probePosition = false;
};

// The class seed, then each field hashed twice, in declaration order.
inline std::uint64_t ProgramKey(const Variant& v) {
    std::uint64_t h = Fnv1a("Korvex.Rendering.Simulation-TriangleGridMesh");
    h = CombineTwiceHashed(h, v.planeCount);
    h = CombineTwiceHashed(h, v.deform);
    h = CombineTwiceHashed(h, v.drawingPlane);
    h = CombineTwiceHashed(h, v.probeValue);
    return CombineTwiceHashed(h, v.probePosition);
}

// What one BindDrawCall drew (operation "Draw"), or a clear.
struct RecordedPass {
    std::string operation;
    std::uint64_t programKey = 0;
    PipelineStateDesc state;
    DrawCallDesc drawCall;
    BufferId vertexBuffer;         // of the draw that followed the bind
    TriangleConstants constants;  // the last upload before the bind
};

class TriangleScene : public MeshScene {
protected:
    void Attach(bool withDisplacements = false) {
        values = MakeValues(device);
        displacements = withDisplacements ? MakeDisplacements(device) : nullptr;
        mesh.SetGeometry(MakeGeometry(device, 3));
        mesh.SetGrids(values, displacements, kUnitBox);
        for (auto call = device.Calls().rbegin(); call != device.Calls().rend(); ++call)
            if (call->operation == "CreateBuffer" && call->As<BufferDesc>().usage == kBufferUsageVertex) {
                quadVertices = BufferId{call->result};
                break;
            }
    }

    // Drawn with an empty cache, so that every program and pipeline shows.
    std::vector<RecordedPass> DrawPasses(const RenderPassDesc& pass) {
        cache = {};
        Draw(mesh, pass);
        std::map<std::uint64_t, std::uint64_t> keyOfProgram;
        for (const auto& [key, program] : cache.programs) keyOfProgram[program.Get().value] = key;
        std::map<std::uint64_t, PipelineStateDesc> pipelines;
        std::optional<TriangleConstants> constants;
        std::vector<RecordedPass> passes;
        for (const RecordedCall& call : device.Calls()) {
            if (call.operation == "CreatePipelineState") pipelines[call.result] = call.As<PipelineStateDesc>();
            if (call.operation == "UpdateBuffer") {
                constants.emplace();
                std::memcpy(&*constants, call.As<std::vector<std::uint8_t>>().data(), sizeof *constants);
            }
            if (call.operation == "ClearDepthStencil" || call.operation == "ClearDepth")
                passes.emplace_back().operation = call.operation;
            if (call.operation == "DrawIndexed") passes.back().vertexBuffer = call.As<DrawArguments>().vertexBuffers[0];
            if (call.operation != "BindDrawCall") continue;
            const BindDrawCallArguments& bind = call.As<BindDrawCallArguments>();
            RecordedPass& drawn = passes.emplace_back();
            drawn.operation = "Draw";
            drawn.state = pipelines.at(bind.pipeline.value);
            drawn.programKey = keyOfProgram.at(drawn.state.program.value);
            drawn.drawCall = bind.drawCall;
            drawn.constants = constants.value();
        }
        return passes;
    }
    std::vector<RecordedPass> DrawPasses() { return DrawPasses(Pass()); }

    TriangleGridMesh mesh{device};
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
    BufferId quadVertices;  // of the cap quad the last Attach built
};

}  // namespace Korvex::Rendering::test_support
