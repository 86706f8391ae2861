#pragma once

// A line mesh on the recording device with real grids and a real line
// geometry, targets of known sizes and a pass over them, for call-sequence
// tests.

#include "meshes/line/LineConstants.h"

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Rendering::linetest {

using Box = boundingbox<float, 3>;
using Dimensions = std::array<std::size_t, 3>;

inline constexpr std::uint32_t kTargetWidth = 64;
inline constexpr std::uint32_t kTargetHeight = 32;

// Which targets a pass has; colour and depth-stencil always.
struct PassTargets {
    bool probeValue = true;
    bool probeDepth = true;
    bool depthStencil = true;
};

class LineRecordingScene : public ::testing::Test {
protected:
    LineRecordingScene() {
        const auto image = [&](std::uint32_t format, std::uint32_t usage) {
            return device.CreateImage({kTargetWidth, kTargetHeight, 0, format, 1, 1, usage});
        };
        color = image(kFormatRgba8Unorm, kImageUsageColorTarget);
        probeValue = image(kFormatR32Float, kImageUsageColorTarget);
        probeDepth = image(kFormatR32Float, kImageUsageColorTarget);
        depthStencil = image(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
        pass = Pass({});
    }

    // Two unit lines, as the host's builder makes them.
    std::shared_ptr<IGeometry> MakeGeometry() {
        const std::vector<VertexPN> vertices = {
            {{0, 0, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {0, 0, 1}}, {{1, 1, 0}, {0, 0, 1}}};
        return BuildLineGeometry(device, vertices, Box({0, 0, 0}, {1, 1, 0}));
    }
    std::shared_ptr<IScalarGrid> MakeValues(const Dimensions& size = {2, 2, 2}) {
        std::shared_ptr<IScalarGrid> grid = CreateScalarGrid(device);
        const std::vector<float> values(size[0] * size[1] * size[2], 0.5f);
        EXPECT_TRUE(grid->SetValues(size[0], size[1], size[2], values));
        return grid;
    }
    std::shared_ptr<IVectorGrid> MakeDisplacements(const Dimensions& size = {2, 2, 2}) {
        std::shared_ptr<IVectorGrid> grid = CreateVectorGrid(device);
        const std::vector<Vector3f> vectors(size[0] * size[1] * size[2], Vector3f{0.0f, 0.1f, 0.0f});
        EXPECT_TRUE(grid->SetVectors(size[0], size[1], size[2], vectors));
        return grid;
    }

    // Geometry and values attached: the mesh draws.
    void MakeDrawable(ILineGridMesh& target, bool withDisplacements = false) {
        target.SetGeometry(MakeGeometry());
        target.SetGrids(MakeValues(), withDisplacements ? MakeDisplacements() : nullptr, gridBox);
    }

    RenderPassDesc Pass(const PassTargets& present) const {
        const auto record = [](bool on, ImageId image, std::uint32_t format) {
            return on ? RenderTargetRecord{1, image, format} : RenderTargetRecord{};
        };
        RenderPassDesc result;
        result.blendMode = kBlendAlpha;
        result.cullMode = kCullFront;
        result.frontFace = kFrontFaceClockwise;
        result.targets[kTargetColor] = record(true, color, kFormatRgba8Unorm);
        result.targets[kTargetProbeValue] = record(present.probeValue, probeValue, kFormatR32Float);
        result.targets[kTargetProbeDepth] = record(present.probeDepth, probeDepth, kFormatR32Float);
        result.targets[kTargetDepthStencil] = record(present.depthStencil, depthStencil, kFormatDepth24Stencil8);
        return result;
    }

    // Draws with a clean call log, so that Calls() shows this draw alone.
    void Draw(ILineGridMesh& target) {
        device.ClearCalls();
        target.Draw(nullptr, pass, cache, nullptr);
    }
    void Draw() { Draw(*mesh); }

    const RecordedCall* Find(std::string_view operation) const {
        for (const RecordedCall& call : device.Calls())
            if (call.operation == operation) return &call;
        return nullptr;
    }
    const RecordedCall& Get(std::string_view operation) const {
        const RecordedCall* call = Find(operation);
        if (call == nullptr) throw std::runtime_error("no " + std::string(operation) + " was recorded");
        return *call;
    }

    // The constants block the last draw uploaded.
    detail::SimulationConstants Uploaded() const {
        const auto& bytes = Get("UpdateBuffer").As<std::vector<std::uint8_t>>();
        detail::SimulationConstants constants;
        if (bytes.size() != sizeof constants) throw std::runtime_error("uploaded block is not 544 bytes");
        std::memcpy(&constants, bytes.data(), sizeof constants);
        return constants;
    }
    // One float of the uploaded block, by byte offset.
    float UploadedFloat(std::size_t offset) const {
        const auto& bytes = Get("UpdateBuffer").As<std::vector<std::uint8_t>>();
        if (offset + sizeof(float) > bytes.size()) throw std::out_of_range("offset past the uploaded block");
        float value;
        std::memcpy(&value, bytes.data() + offset, sizeof value);
        return value;
    }
    const BindDrawCallArguments& Bound() const { return Get("BindDrawCall").As<BindDrawCallArguments>(); }
    const PipelineStateDesc& CreatedPipeline() const { return Get("CreatePipelineState").As<PipelineStateDesc>(); }
    const ShaderStageSources& CompiledSources() const { return Get("CreateProgram").As<ShaderStageSources>(); }

    RecordingDevice device;
    ImageId color, probeValue, probeDepth, depthStencil;
    Box gridBox{{0, 0, 0}, {1, 1, 1}};
    RenderPassDesc pass;
    ResourceCache cache;
    std::unique_ptr<ILineGridMesh> mesh = CreateLineGridMesh(device);
};

}  // namespace Korvex::Rendering::linetest
