#pragma once

// A triangle mesh on the recording device with its inputs, and the passes a
// recording shows: which program variant each draw used, with what state,
// bindings and constants.

#include "meshes/triangle/TriangleGridMesh.h"
#include "meshes/triangle/VertexPNGeometry.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <span>
#include <string>
#include <vector>

namespace Korvex::Rendering::triangle_test {

using detail::TriangleConstants;

inline const boundingbox<float, 3> kUnitBox{{0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}};

// One triangle is all the recording needs.
inline std::shared_ptr<IGeometry> MakeTriangle(IGpu& gpu) {
    const std::array<VertexPN, 3> triangle{
        VertexPN{{0, 0, 0}, {0, 0, 1}}, VertexPN{{1, 0, 0}, {0, 0, 1}}, VertexPN{{0, 1, 0}, {0, 0, 1}}};
    return detail::BuildVertexPNGeometry(gpu, 3, kUnitBox, [&](auto& builder) {
        builder.AddPrimitives(std::span<const VertexPN>(triangle));
    });
}

inline std::shared_ptr<IScalarGrid> MakeScalarGrid(IGpu& gpu, std::array<std::size_t, 3> size = {2, 2, 2}) {
    std::shared_ptr<IScalarGrid> grid = CreateScalarGrid(gpu);
    const std::vector<float> values(size[0] * size[1] * size[2], 0.5f);
    EXPECT_TRUE(grid->SetValues(size[0], size[1], size[2], values));
    return grid;
}

inline std::shared_ptr<IVectorGrid> MakeVectorGrid(IGpu& gpu, std::array<std::size_t, 3> size = {2, 2, 2}) {
    std::shared_ptr<IVectorGrid> grid = CreateVectorGrid(gpu);
    const std::vector<Vector3f> vectors(size[0] * size[1] * size[2], Vector3f{0.1f, 0.0f, 0.0f});
    EXPECT_TRUE(grid->SetVectors(size[0], size[1], size[2], vectors));
    return grid;
}

inline std::vector<ClipPlane> PlanesX(std::size_t count) {
    std::vector<ClipPlane> planes;
    for (std::size_t i = 0; i < count; ++i) planes.push_back({1.0f, 0.0f, 0.0f, -0.1f * static_cast<float>(i + 1)});
    return planes;
}

// What one BindDrawCall drew, or a clear.
struct RecordedPass {
    std::string operation;  // "Draw", "ClearDepthStencil" or "ClearDepth"
    std::uint64_t planeCount = 0;
    bool drawingPlane = false;
    bool tessellated = false;
    ProgramId program;
    PipelineStateDesc state;
    DrawCallDesc drawCall;
    TriangleConstants constants;  // the last upload before the draw
};

// The plane count a program was specialised for, read from its vertex stage.
inline std::uint64_t PlaneCountOf(const ShaderStageSources& sources) {
    static const std::regex clipDistances(R"(clip_distance : (\d+)\])");
    std::smatch match;
    if (!std::regex_search(sources.stages[kStageIndexVertex], match, clipDistances)) return 0;
    return std::stoull(match[1].str());
}

inline std::vector<RecordedPass> PassesOf(const RecordingDevice& device) {
    std::map<std::uint64_t, ShaderStageSources> programs;
    std::map<std::uint64_t, PipelineStateDesc> pipelines;
    std::optional<TriangleConstants> constants;
    std::vector<RecordedPass> passes;
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation == "CreateProgram") {
            programs[call.result] = call.As<ShaderStageSources>();
        } else if (call.operation == "CreatePipelineState") {
            pipelines[call.result] = call.As<PipelineStateDesc>();
        } else if (call.operation == "UpdateBuffer") {
            const auto& bytes = call.As<std::vector<std::uint8_t>>();
            EXPECT_EQ(bytes.size(), sizeof(TriangleConstants));
            constants.emplace();
            std::memcpy(&*constants, bytes.data(), std::min(bytes.size(), sizeof(TriangleConstants)));
        } else if (call.operation == "ClearDepthStencil" || call.operation == "ClearDepth") {
            RecordedPass clear;
            clear.operation = call.operation;
            passes.push_back(clear);
        } else if (call.operation == "BindDrawCall") {
            const BindDrawCallArguments& bind = call.As<BindDrawCallArguments>();
            RecordedPass pass;
            pass.operation = "Draw";
            pass.state = pipelines.at(bind.pipeline.value);
            pass.program = pass.state.program;
            const ShaderStageSources& sources = programs.at(pass.program.value);
            pass.planeCount = PlaneCountOf(sources);
            pass.drawingPlane = sources.stages[kStageIndexVertex].find("mul(unit_plane_matrix") != std::string::npos;
            pass.tessellated = !sources.stages[kStageIndexHull].empty();
            pass.drawCall = bind.drawCall;
            EXPECT_TRUE(constants.has_value()) << "a draw without constants";
            if (constants) pass.constants = *constants;
            passes.push_back(pass);
        }
    }
    return passes;
}

// Five targets of w x h (probe targets optional) and the pass drawing into them.
class RecordingTargets {
public:
    RecordingTargets(RecordingDevice& device, std::uint32_t width, std::uint32_t height, bool probes) {
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            return device.CreateImage({width, height, 0, format, 1, 1, usage});
        };
        color = make(kFormatRgba8Unorm, kImageUsageColorTarget);
        if (probes) {
            probeValue = make(kFormatR32Float, kImageUsageColorTarget);
            probeDepth = make(kFormatR32Float, kImageUsageColorTarget);
        }
        depthStencil = make(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
    }

    RenderPassDesc Pass() const {
        RenderPassDesc pass;
        const auto record = [](ImageId image, std::uint32_t format) {
            return image.IsNull() ? RenderTargetRecord{} : RenderTargetRecord{1, image, format};
        };
        pass.targets[kTargetColor] = record(color, kFormatRgba8Unorm);
        pass.targets[kTargetProbeValue] = record(probeValue, kFormatR32Float);
        pass.targets[kTargetProbeDepth] = record(probeDepth, kFormatR32Float);
        pass.targets[kTargetDepthStencil] = record(depthStencil, kFormatDepth24Stencil8);
        return pass;
    }

    ImageId color, probeValue, probeDepth, depthStencil;
};

// A mesh with a triangle and a scalar grid attached, drawn into 64 x 32 targets.
class TriangleMeshRecordingTest : public ::testing::Test {
protected:
    void AttachInputs(bool withVectorGrid = false) {
        mesh.SetGeometry(MakeTriangle(device));
        mesh.SetGrids(MakeScalarGrid(device), withVectorGrid ? MakeVectorGrid(device) : nullptr, kUnitBox);
    }

    void Draw() { mesh.Draw(nullptr, targets.Pass(), cache, nullptr); }

    // Drawn with an empty cache, so that every program shows in the recording.
    std::vector<RecordedPass> DrawPasses() {
        cache = {};
        device.ClearCalls();
        Draw();
        return PassesOf(device);
    }

    RecordingDevice device;
    RecordingTargets targets{device, 64, 32, false};
    TriangleGridMesh mesh{device};
    ResourceCache cache;
};

}  // namespace Korvex::Rendering::triangle_test
