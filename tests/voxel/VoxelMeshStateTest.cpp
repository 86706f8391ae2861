// The voxel mesh's state: what each setter stores and which GPU objects it
// creates and releases, on the recording device.

#include "VoxelRecording.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace Korvex::Rendering::voxel_test {
namespace {

using ::testing::ElementsAre;
using ::testing::Each;

using VoxelMeshStateTest = VoxelRecordingTest;

std::vector<std::uint8_t> Ramp(std::size_t colors) {
    std::vector<std::uint8_t> rgba(colors * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return rgba;
}

TEST_F(VoxelMeshStateTest, NewMeshStartsFromTheDocumentedDefaults) {
    const VoxelConstants& c = mesh->Constants();
    EXPECT_EQ(mesh->VoxelCount(), 0u);
    EXPECT_EQ(mesh->GradientWidth(), 1u);
    EXPECT_EQ(mesh->GetClipPlanes().size(), 0u);
    EXPECT_STREQ(mesh->GetName(), "");
    EXPECT_EQ(mesh->GetUserValue(), 0u);
    EXPECT_EQ(mesh->GetTechnique(), StringId("SimulationTechnique"));
    for (const auto* matrix : {&c.model_matrix, &c.model_view_matrix, &c.projection_matrix})
        EXPECT_EQ(*matrix, VoxelConstants::kIdentity4x4);
    EXPECT_EQ(c.min_value, 0.0f);
    EXPECT_EQ(c.max_value, 1.0f);
    EXPECT_EQ(c.deformation, 0.0f);
    EXPECT_EQ(c.brightness, 0.75f);
    EXPECT_EQ(c.alpha_value, 1.0f);
    for (const auto* zero : {&c.corner_min, &c.corner_max, &c.dimensions}) EXPECT_THAT(*zero, Each(0.0f));
    for (const auto& plane : c.clip_planes) EXPECT_THAT(plane, Each(0.0f));
}

TEST_F(VoxelMeshStateTest, ConstructionCreatesTheConstantBufferThenTheSampler) {
    device.ClearCalls();
    VoxelGridMesh fresh(device);
    EXPECT_THAT(device.OperationNames(), ElementsAre("CreateBuffer", "CreateSampler"));
    const BufferDesc buffer = device.Calls()[0].As<BufferDesc>();
    EXPECT_EQ(buffer.size, 448u);
    EXPECT_EQ(buffer.usage, 36u);
    EXPECT_EQ(device.Calls()[0].arguments, "{448,36},null");
    const SamplerDesc samplerDesc = device.Calls()[1].As<SamplerDesc>();
    EXPECT_EQ(samplerDesc.filter, 2u);
    EXPECT_EQ(samplerDesc.address, 1u);
}

TEST_F(VoxelMeshStateTest, SetVoxelsReplacesBufferThenViewWithCopiesOfTheList) {
    struct Case {
        std::vector<std::uint32_t> voxels;
    };
    const Case cases[] = {{{7u, 0x00100401u, 0xFFFFFFFFu}}, {{1u, 2u}}, {{}}};
    std::uint64_t previousBuffer = ~0ull, previousView = ~0ull;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.voxels.size());
        device.ClearCalls();
        mesh->SetVoxels(c.voxels);
        const bool first = previousBuffer == ~0ull;
        if (first)
            ASSERT_THAT(device.OperationNames(), ElementsAre("CreateBuffer", "CreateBufferView"));
        else
            ASSERT_THAT(device.OperationNames(),
                        ElementsAre("CreateBuffer", "DestroyBuffer", "CreateBufferView", "DestroyImageView"));
        const auto& calls = device.Calls();
        const RecordedCall& create = calls[0];
        const std::uint32_t count = static_cast<std::uint32_t>(c.voxels.size());
        EXPECT_EQ(create.As<BufferDesc>().size, 4 * count);
        EXPECT_EQ(create.As<BufferDesc>().usage, 256u);
        std::vector<std::uint8_t> words(4 * c.voxels.size());
        if (!words.empty()) std::memcpy(words.data(), c.voxels.data(), words.size());
        EXPECT_EQ(device.BufferBytes(BufferId{create.result}), words);

        const RecordedCall& view = calls[first ? 1 : 2];
        EXPECT_EQ(view.arguments, IdText(create.result) + ",22,0," + std::to_string(count));
        if (!first) {
            EXPECT_EQ(calls[1].arguments, IdText(previousBuffer));
            EXPECT_EQ(calls[3].arguments, IdText(previousView));
        }
        EXPECT_EQ(mesh->VoxelCount(), count);
        previousBuffer = create.result;
        previousView = view.result;
    }
}

// A list of 2^30 words or more does not fit the 32-bit buffer size; the view
// claims that length over a few words, which the mesh must not read.
TEST_F(VoxelMeshStateTest, HugeVoxelListsAreIgnoredWithoutAnyChange) {
    mesh->SetVoxels(kThreeVoxels);
    const std::size_t liveBefore = device.LiveObjectCount();
    const std::uint32_t words[4] = {};
    for (const std::size_t size : {std::size_t{1} << 30, (std::size_t{1} << 32) + 3, std::numeric_limits<std::size_t>::max()}) {
        SCOPED_TRACE(size);
        device.ClearCalls();
        mesh->SetVoxels({words, size});
        EXPECT_TRUE(device.Calls().empty());
        EXPECT_EQ(mesh->VoxelCount(), 3u);
        EXPECT_EQ(device.LiveObjectCount(), liveBefore);
    }
}

TEST_F(VoxelMeshStateTest, SetGridsMirrorsTheBoxAndTheScalarGridSampleCounts) {
    const Box box{{-1.0f, -1.0f, -1.0f}, {1.0f, 2.0f, 3.0f}};
    mesh->SetGrids(MakeValues({4, 5, 6}), nullptr, box);
    const VoxelConstants& c = mesh->Constants();
    EXPECT_THAT(c.corner_min, ElementsAre(-1.0f, -1.0f, -1.0f, 0.0f));
    EXPECT_THAT(c.corner_max, ElementsAre(1.0f, 2.0f, 3.0f, 0.0f));
    EXPECT_THAT(c.dimensions, ElementsAre(4.0f, 5.0f, 6.0f, 0.0f));

    // Without a scalar grid the sample counts stay; the box follows.
    mesh->SetGrids(nullptr, MakeDisplacements(), kUnitBox);
    EXPECT_THAT(c.corner_min, ElementsAre(0.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_THAT(c.corner_max, ElementsAre(1.0f, 1.0f, 1.0f, 0.0f));
    EXPECT_THAT(c.dimensions, ElementsAre(4.0f, 5.0f, 6.0f, 0.0f));
}

TEST_F(VoxelMeshStateTest, ColorMapBecomesAGradientImageOfOneTexelPerColour) {
    struct Case {
        std::size_t colors;
        std::size_t trailingBytes;
        std::size_t gradientWidth;
    };
    for (const Case& c : {Case{256, 0, 256}, Case{1, 0, 2}, Case{3, 2, 3}}) {
        SCOPED_TRACE(c.colors);
        std::vector<std::uint8_t> table = Ramp(c.colors);
        table.resize(table.size() + c.trailingBytes, 0xEE);
        mesh = std::make_unique<VoxelGridMesh>(device);
        device.ClearCalls();
        mesh->SetColorMap(table);
        ASSERT_THAT(device.OperationNames(), ElementsAre("CreateImage", "WriteImage", "CreateImageView"));
        const ImageDesc desc = device.Calls()[0].As<ImageDesc>();
        EXPECT_EQ(device.Calls()[0].arguments, "{" + std::to_string(c.colors) + ",0,0,6,1,1,65}");
        EXPECT_EQ(device.ImageBytes(ImageId{device.Calls()[0].result}),
                  std::vector<std::uint8_t>(table.begin(), table.begin() + 4 * static_cast<std::ptrdiff_t>(desc.width)));
        EXPECT_EQ(mesh->GradientWidth(), c.gradientWidth);

        const VoxelConstants& k = mesh->Constants();
        // The overflow colour is the table's last four bytes, trailing ones included.
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(k.underflow_color[i], table[i] / 255.0f);
            EXPECT_FLOAT_EQ(k.overflow_color[i], table[table.size() - 4 + i] / 255.0f);
        }
    }
}

TEST_F(VoxelMeshStateTest, NewGradientReleasesViewThenImageBeforeCreatingItsOwn) {
    device.ClearCalls();
    mesh->SetColorMap(Ramp(4));
    const std::uint64_t firstImage = device.Calls()[0].result, firstView = device.Calls()[2].result;
    device.ClearCalls();
    const std::uint8_t under[] = {1, 2, 3, 4}, over[] = {5, 6, 7, 8};
    mesh->SetColorMap(under, Ramp(8), over);
    EXPECT_THAT(device.OperationNames(),
                ElementsAre("DestroyImageView", "DestroyImage", "CreateImage", "WriteImage", "CreateImageView"));
    EXPECT_EQ(device.Calls()[0].arguments, IdText(firstView));
    EXPECT_EQ(device.Calls()[1].arguments, IdText(firstImage));
    EXPECT_THAT(mesh->Constants().underflow_color, ElementsAre(1 / 255.0f, 2 / 255.0f, 3 / 255.0f, 4 / 255.0f));
    EXPECT_THAT(mesh->Constants().overflow_color, ElementsAre(5 / 255.0f, 6 / 255.0f, 7 / 255.0f, 8 / 255.0f));
    EXPECT_EQ(mesh->GradientWidth(), 8u);
}

TEST_F(VoxelMeshStateTest, ColourViewsShorterThanOneColourAreIgnored) {
    mesh->SetColorMap(Ramp(4));
    const VoxelConstants before = mesh->Constants();
    const std::vector<std::uint8_t> three = {9, 9, 9}, four = {1, 2, 3, 4};
    const array_view<const std::uint8_t> none;
    device.ClearCalls();
    mesh->SetColorMap(three);
    mesh->SetColorMap(none);
    mesh->SetColorMap(three, four, four);
    mesh->SetColorMap(four, three, four);
    mesh->SetColorMap(four, four, three);
    EXPECT_TRUE(device.Calls().empty());
    EXPECT_EQ(std::memcmp(&before, &mesh->Constants(), sizeof before), 0);
    EXPECT_EQ(mesh->GradientWidth(), 4u);
}

// min_value and max_value fall on the centres of the first and last texel.
TEST_F(VoxelMeshStateTest, ValueRangeIsSpreadOverTheGradientTexelCentres) {
    struct Case {
        std::size_t colors;
        float minValue, maxValue;
        double minSample, range;
    };
    const Case cases[] = {{256, 0.0f, 1.0f, -1.0 / 510, 256.0 / 255},
                          {256, 0.0f, 10.0f, -10.0 / 510, 2560.0 / 255},
                          {2, -1.0f, 3.0f, -3.0, 8.0},
                          {1, 2.0f, 4.0f, 1.0, 4.0},
                          {256, 5.0f, 1.0f, 5.0 + 4.0 / 510, -4.0 * 256 / 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.colors) + " colours, " + std::to_string(c.minValue) + " to " +
                     std::to_string(c.maxValue));
        // Either order of the two setters gives the same block.
        mesh->SetColorMap(Ramp(c.colors));
        mesh->SetValueRange(c.minValue, c.maxValue);
        EXPECT_EQ(mesh->Constants().min_value, c.minValue);
        EXPECT_EQ(mesh->Constants().max_value, c.maxValue);
        EXPECT_FLOAT_EQ(mesh->Constants().min_sample_value, static_cast<float>(c.minSample));
        EXPECT_FLOAT_EQ(mesh->Constants().sample_value_range, static_cast<float>(c.range));
        mesh->SetValueRange(0.0f, 1.0f);
        mesh->SetColorMap(Ramp(1));
        mesh->SetValueRange(c.minValue, c.maxValue);
        mesh->SetColorMap(Ramp(c.colors));
        EXPECT_FLOAT_EQ(mesh->Constants().min_sample_value, static_cast<float>(c.minSample));
        EXPECT_FLOAT_EQ(mesh->Constants().sample_value_range, static_cast<float>(c.range));
    }
}

TEST_F(VoxelMeshStateTest, AlphaIsClampedToTheUnitRangeAndChoosesTheTechnique) {
    struct Case {
        float alpha, stored;
        const char* technique;
    };
    const Case cases[] = {{1.5f, 1.0f, "SimulationTechnique"},
                          {-2.0f, 0.0f, "TransparentSimulationTechnique"},
                          {std::nanf(""), 1.0f, "SimulationTechnique"},
                          {0.5f, 0.5f, "TransparentSimulationTechnique"},
                          {0.999f, 0.999f, "TransparentSimulationTechnique"},
                          {1.0f, 1.0f, "SimulationTechnique"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alpha);
        mesh->SetAlpha(c.alpha);
        EXPECT_EQ(mesh->Constants().alpha_value, c.stored);
        EXPECT_EQ(mesh->GetTechnique(), StringId(c.technique));
    }
}

TEST_F(VoxelMeshStateTest, AppearanceSettersStoreTheirValuesUnchanged) {
    device.ClearCalls();
    mesh->SetDeformation(-2.5f);
    mesh->SetBrightness(1.25f);
    mesh->SetWireframeColor(0.25f, 2.0f, -1.0f, 0.5f);
    mesh->SetWireframe(true);
    EXPECT_EQ(mesh->Constants().deformation, -2.5f);
    EXPECT_EQ(mesh->Constants().brightness, 1.25f);
    EXPECT_THAT(mesh->Constants().wireframe_color, ElementsAre(0.25f, 2.0f, -1.0f, 0.5f));
    EXPECT_TRUE(device.Calls().empty()) << "setters only change the CPU copy";
}

TEST_F(VoxelMeshStateTest, WorldBoxIsTheGridBoxWidenedByTheDisplacementRange) {
    mesh->SetGrids(MakeValues(), MakeDisplacements({{-0.5f, 0.0f, 0.0f}, {0.0f, 0.0f, 2.0f}}), kUnitBox);
    EXPECT_EQ(mesh->GetWorldBoundingBox(), Box({-0.5f, 0.0f, 0.0f}, {1.0f, 1.0f, 3.0f}));

    KxTransformMatrix model;
    model.MakeTranslation({10.0, 0.0, -1.0});
    mesh->SetModelTransform(model);
    EXPECT_EQ(mesh->GetWorldBoundingBox(), Box({9.5f, 0.0f, -1.0f}, {11.0f, 1.0f, 2.0f}));

    mesh->SetGrids(MakeValues(), nullptr, kUnitBox);
    EXPECT_EQ(mesh->GetWorldBoundingBox(), Box({10.0f, 0.0f, -1.0f}, {11.0f, 1.0f, 0.0f}));
}

TEST_F(VoxelMeshStateTest, WorldBoxWithoutGridsIsTheTransformedEmptyBox) {
    KxTransformMatrix model;
    model.MakeTranslation({1.0, 2.0, 3.0});
    mesh->SetModelTransform(model);
    EXPECT_EQ(mesh->GetWorldBoundingBox(), Transform(Box{}, model));
}

// Grids that note when they go, to show the mesh lets go of them last.
class ReleaseLog {
public:
    explicit ReleaseLog(const RecordingDevice& device) : device_(device) {}
    void Released(const char* what) { entries.push_back({what, device_.Calls().size()}); }

    struct Entry {
        std::string what;
        std::size_t callsBefore;
    };
    std::vector<Entry> entries;

private:
    const RecordingDevice& device_;
};

class LoggedScalarGrid final : public IScalarGrid {
public:
    explicit LoggedScalarGrid(ReleaseLog& log) : log_(log) {}
    ~LoggedScalarGrid() override { log_.Released("scalar grid"); }
    bool SetValues(std::size_t, std::size_t, std::size_t, array_view<const float>) override { return false; }
    ScalarGridTexture GetTexture() const override { return {ImageViewId::Null(), 0.0f, 1.0f, {2, 2, 2}}; }

private:
    ReleaseLog& log_;
};

class LoggedVectorGrid final : public IVectorGrid {
public:
    explicit LoggedVectorGrid(ReleaseLog& log) : log_(log) {}
    ~LoggedVectorGrid() override { log_.Released("vector grid"); }
    bool SetVectors(std::size_t, std::size_t, std::size_t, array_view<const Vector3f>) override { return false; }
    VectorGridTexture GetTexture() const override { return {ImageViewId::Null(), {}, {}, {2, 2, 2}}; }

private:
    ReleaseLog& log_;
};

TEST_F(VoxelMeshStateTest, DestructionReleasesGpuObjectsInReverseThenVectorGridThenScalarGrid) {
    ReleaseLog log(device);
    mesh.reset();
    device.ClearCalls();
    mesh = std::make_unique<VoxelGridMesh>(device);
    mesh->SetVoxels(kThreeVoxels);
    mesh->SetColorMap(Ramp(2));
    mesh->SetGrids(std::make_shared<LoggedScalarGrid>(log), std::make_shared<LoggedVectorGrid>(log), kUnitBox);
    const ClipPlane plane{1, 0, 0, 0};
    mesh->SetClipPlanes({&plane, 1});
    const std::uint64_t createdBuffer = device.Calls()[0].result, createdSampler = LastCreated("CreateSampler");
    const std::uint64_t voxelBuffer = LastCreated("CreateBuffer"), voxelList = LastCreated("CreateBufferView");
    const std::uint64_t gradientImage = LastCreated("CreateImage"), gradientView = LastCreated("CreateImageView");

    device.ClearCalls();
    mesh.reset();
    std::vector<std::string> released;
    for (const RecordedCall& call : device.Calls()) released.push_back(call.operation + " " + call.arguments);
    EXPECT_THAT(released,
                ElementsAre("DestroySampler " + IdText(createdSampler), "DestroyImageView " + IdText(gradientView),
                            "DestroyImage " + IdText(gradientImage), "DestroyImageView " + IdText(voxelList),
                            "DestroyBuffer " + IdText(voxelBuffer), "DestroyBuffer " + IdText(createdBuffer)));
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[0].what, "vector grid");
    EXPECT_EQ(log.entries[1].what, "scalar grid");
    EXPECT_EQ(log.entries[0].callsBefore, 6u) << "grids go after every GPU object";
}

TEST_F(VoxelMeshStateTest, DestructionSkipsObjectsThatWereNeverCreated) {
    device.FailOperation("CreateSampler");
    mesh = std::make_unique<VoxelGridMesh>(device);
    device.ClearFaults();
    device.ClearCalls();
    mesh.reset();
    EXPECT_THAT(device.OperationNames(), ElementsAre("DestroyBuffer"));
}

}  // namespace
}  // namespace Korvex::Rendering::voxel_test
