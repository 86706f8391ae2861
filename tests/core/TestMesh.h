#pragma once

// A minimal mesh over the shared base, with fake grids and geometry, so the
// shared behaviour can be checked without any concrete mesh.

#include "core/GridMeshBase.h"

#include <Korvex/Rendering/Simulation/IClippable.h>
#include <Korvex/Rendering/Simulation/IRenderable.h>
#include <Korvex/Rendering/Simulation/ITransformable.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Korvex::Rendering::testing_support {

struct TestConstants {
    float corner_min[4] = {};
    float corner_max[4] = {};
    float deformation = 0.0f;
    float alpha_value = 1.0f;
    float clip_planes[8][4] = {};
};

class ITestMesh : public IRenderable, public ITransformable, public IClippable {
public:
    virtual void SetGeometry(const std::shared_ptr<IGeometry>& geometry) = 0;
    virtual void SetDeformation(float factor) = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                               void* passThrough) = 0;
};

struct DrawWithStateCall {
    IGpu* gpu;
    PipelineStateDesc state;
    DrawCallDesc drawCall;
    ResourceCache* cache;
    void* passThrough;
};

class TestMesh final : public detail::GeometryGridMeshBase<ITestMesh, TestConstants> {
public:
    explicit TestMesh(IGpu& gpu) : GeometryGridMeshBase(gpu) {}

    void DrawWithState(IGpu& gpu, PipelineStateDesc& state, DrawCallDesc& drawCall, ResourceCache& cache,
                       void* passThrough) override {
        drawWithStateCalls.push_back({&gpu, state, drawCall, &cache, passThrough});
        // Scribbled over, so a later draw shows whether it reuses them.
        const std::vector<unsigned char> junk(std::max(sizeof state, sizeof drawCall), 0xab);
        std::memcpy(&state, junk.data(), sizeof state);
        std::memcpy(&drawCall, junk.data(), sizeof drawCall);
    }

    using GeometryGridMeshBase::AttachGrids;
    const TestConstants& Constants() const { return constants_; }
    TestConstants& MutableConstants() { return constants_; }
    std::uint64_t PlaneCount() const { return planeCount_; }
    const KxTransformMatrix& View() const { return view_; }
    const KxTransformMatrix& Projection() const { return projection_; }
    const std::shared_ptr<IScalarGrid>& ScalarGrid() const { return scalarGrid_; }
    const std::shared_ptr<IVectorGrid>& VectorGrid() const { return vectorGrid_; }

    std::vector<DrawWithStateCall> drawWithStateCalls;
};

// Appends its name to a log when destroyed.
class ReleaseLogger {
public:
    ReleaseLogger(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
    ~ReleaseLogger() {
        if (log_ != nullptr) log_->push_back(name_);
    }
    ReleaseLogger(const ReleaseLogger&) = delete;
    ReleaseLogger& operator=(const ReleaseLogger&) = delete;

private:
    std::vector<std::string>* log_;
    std::string name_;
};

class FakeGeometry final : public IGeometry, ReleaseLogger {
public:
    explicit FakeGeometry(const boundingbox<float, 3>& box, std::vector<std::string>* log = nullptr,
                          std::string name = "geometry")
        : ReleaseLogger(log, std::move(name)), box_(box) {}
    const char* GetName() const override { return "fake"; }
    void SetName(const char*) override {}
    boundingbox<float, 3> GetBoundingBox() const override { return box_; }
    VertexInputState GetVertexInputState() const override { return {}; }
    void SubmitDrawsWithState(ICommandList&, const PipelineStateDesc&) override {}
    void SubmitDrawsInstanced(ICommandList* const*, std::uint64_t) override {}
    void SubmitDraws(ICommandList&) override {}

private:
    boundingbox<float, 3> box_;
};

class FakeScalarGrid final : public IScalarGrid, ReleaseLogger {
public:
    explicit FakeScalarGrid(std::vector<std::string>* log = nullptr) : ReleaseLogger(log, "scalar grid") {}
    bool SetValues(std::size_t, std::size_t, std::size_t, array_view<const float>) override { return false; }
    ScalarGridTexture GetTexture() const override { return {}; }
};

class FakeVectorGrid final : public IVectorGrid, ReleaseLogger {
public:
    FakeVectorGrid(std::array<float, 3> rangeMin, std::array<float, 3> rangeMax,
                   std::vector<std::string>* log = nullptr)
        : ReleaseLogger(log, "vector grid"), rangeMin_(rangeMin), rangeMax_(rangeMax) {}
    bool SetVectors(std::size_t, std::size_t, std::size_t, array_view<const Vector3f>) override { return false; }
    VectorGridTexture GetTexture() const override { return {ImageViewId::Null(), rangeMin_, rangeMax_, {1, 1, 1}}; }

private:
    std::array<float, 3> rangeMin_;
    std::array<float, 3> rangeMax_;
};

}  // namespace Korvex::Rendering::testing_support
