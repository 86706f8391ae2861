#pragma once

// A device without a GPU: it records every call for tests and keeps bytes.
//
// Reading calls: Calls() lists every call in order as RecordedCall {operation,
// arguments text, result (the id a Create* returned), payload}; OperationNames()
// gives just the names, so a sequence can be checked in one expression
// (ElementsAre("CreateImage", "MapImage", ...)); call.As<ImageDesc>(),
// As<PipelineStateDesc>(), As<BindDrawCallArguments>(), As<ShaderStageSources>(),
// As<DrawArguments>() and As<std::vector<std::uint8_t>>() give typed arguments.
// ClearCalls() starts a new recording. Queries (GetImageInfo, GetMaxBufferSize)
// are recorded too. Ids: slot index low, generation high (first generation 1),
// unique across all object kinds; destroying a null, stale or wrong-kind id is
// recorded and ignored. LiveObjectCount() and IsLive() serve leak tests.
// Contents: BufferBytes(), ImageBytes() and ImageDescOf() stay readable after
// the object is destroyed; an image's bytes are empty until it is mapped,
// written or copied into, laid out with the pitches MapImage reports, fresh
// memory holding kFreshByte. A buffer above GetMaxBufferSize(), or a view of
// an object that is not live, gets the null id.
// Misbehaviour: FailOperation("CreateImage", n) makes the n-th call from now
// (every call when n is 0) give the null id; on MapImage it gives a null data
// pointer, on ApplyPipelineStateDesc and WriteImage false. ThrowFrom(op, n)
// throws std::runtime_error naming the operation (after recording the call).
// ClearFaults() disarms both. SetPitchPadding() adds bytes to the pitches
// MapImage reports; SetMaxBufferSize() sets GetMaxBufferSize's answer.
// SetRecording(false) keeps nothing and allocates nothing in the draw path
// (BindDrawCall, Draw*, UpdateBuffer, ApplyPipelineStateDesc) for benchmarks.

#include "RecordedCall.h"

#include <Korvex/Rendering/Gpu/IGpu.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace Korvex::Rendering {

class RecordingDevice final : public IGpu {
public:
    static constexpr std::uint8_t kFreshByte = 0xCD;
    static constexpr std::uint32_t kDefaultMaxBufferSize = 256u << 20;

    // --- IGpu
    std::uint32_t GetMaxBufferSize() const override;
    BufferId CreateBuffer(const BufferDesc& desc, const void* data) override;
    ImageViewId CreateBufferView(BufferId buffer, std::uint32_t format, std::uint32_t first,
                                 std::uint32_t count) override;
    ImageId CreateImage(const ImageDesc& desc) override;
    ImageViewId CreateImageView(ImageId image, const ImageViewDesc& desc) override;
    SamplerId CreateSampler(const SamplerDesc& desc) override;
    PipelineStateId CreatePipelineState(const PipelineStateDesc& desc) override;
    void UpdateBuffer(BufferId buffer, std::uint32_t offset, std::uint32_t size, const void* data) override;
    bool WriteImage(ImageId image, const SubImage& region, const void* data, std::size_t size) override;
    void DestroyBuffer(BufferId id) override;
    void DestroyImage(ImageId id) override;
    void DestroyImageView(ImageViewId id) override;
    void DestroySampler(SamplerId id) override;
    void DestroyPipelineState(PipelineStateId id) override;

    ImageInfo GetImageInfo(ImageId image) const override;
    MappedImage MapImage(ImageId image, std::uint32_t subresource, std::uint32_t mode) override;
    void UnmapImage(ImageId image, std::uint32_t subresource) override;

    ProgramId CreateProgram(const ShaderStageSources& sources) override;
    void DestroyProgram(ProgramId id) override;

    void BindDrawCall(PipelineStateId pipeline, const DrawCallDesc& drawCall) override;
    bool ApplyPipelineStateDesc(const PipelineStateDesc& state) override;
    void CopyImage(ImageId source, ImageId destination) override;
    void DrawIndexed(const VertexBufferIds& vertexBuffers, BufferId indexBuffer, std::uint32_t indexFormat,
                     std::uint32_t indexCount, std::uint32_t firstIndex, std::int32_t baseVertex) override;
    void DrawIndexedInstanced(std::uint64_t instanceCount, const VertexBufferIds& vertexBuffers,
                              BufferId indexBuffer, std::uint32_t indexFormat, std::uint32_t indexCount,
                              std::uint32_t firstIndex, std::int32_t baseVertex) override;
    void DrawVertices(const VertexBufferIds& vertexBuffers, std::uint32_t vertexCount,
                      std::uint32_t firstVertex) override;
    void ClearDepth(ImageId colorTarget, ImageId depthTarget, float depth) override;
    void ClearDepthStencil(ImageId colorTarget, ImageId depthTarget, float depth, std::uint8_t stencil) override;
    void ClearStencil(ImageId colorTarget, ImageId depthTarget, std::uint8_t stencil) override;

    // --- Recording
    const std::vector<RecordedCall>& Calls() const { return calls_; }
    std::vector<std::string> OperationNames() const;
    std::size_t CountOf(std::string_view operation) const;
    void ClearCalls() { calls_.clear(); }
    void SetRecording(bool on) { recording_ = on; }

    // --- Objects and contents
    std::size_t LiveObjectCount() const;
    template <class Tag>
    bool IsLive(Id<Tag, 32> id) const { return FindLive(id.value, KindOf<Tag>()) != nullptr; }
    // These throw std::out_of_range for an id this device never created.
    const std::vector<std::uint8_t>& BufferBytes(BufferId buffer) const;
    const std::vector<std::uint8_t>& ImageBytes(ImageId image) const;
    const ImageDesc& ImageDescOf(ImageId image) const;

    // --- Misbehaviour; operation names are those of IGpu (std::invalid_argument otherwise)
    void FailOperation(std::string_view operation, std::uint32_t nthCall = 0);
    void ThrowFrom(std::string_view operation, std::uint32_t nthCall = 0);
    void ClearFaults();
    void SetPitchPadding(std::uint32_t rowBytes, std::uint32_t sliceBytes);
    void SetMaxBufferSize(std::uint32_t bytes) { maxBufferSize_ = bytes; }

private:
    enum class Operation : std::uint8_t {
        GetMaxBufferSize, CreateBuffer, CreateBufferView, CreateImage, CreateImageView, CreateSampler,
        CreatePipelineState, UpdateBuffer, WriteImage, DestroyBuffer, DestroyImage, DestroyImageView,
        DestroySampler, DestroyPipelineState, GetImageInfo, MapImage, UnmapImage, CreateProgram, DestroyProgram,
        BindDrawCall, ApplyPipelineStateDesc, CopyImage, DrawIndexed, DrawIndexedInstanced, DrawVertices,
        ClearDepth, ClearDepthStencil, ClearStencil, Count
    };
    enum class Kind : std::uint8_t { Buffer, Image, ImageView, Sampler, PipelineState, Program };

    struct Slot {
        std::uint32_t generation = 1;
        Kind kind = Kind::Buffer;
        bool live = false;
    };
    struct Fault {
        bool armed = false;
        std::uint32_t nthCall = 0;
        std::uint64_t armedAt = 0;  // the operation's call count when armed
    };
    struct OperationState {
        std::uint64_t calls = 0;
        Fault fail;
        Fault raise;
    };
    struct ImageStore {
        ImageDesc desc;
        std::vector<std::uint8_t> bytes;
        std::uint32_t rowPitch = 0;
        std::uint32_t slicePitch = 0;
    };

    template <class Tag>
    static constexpr Kind KindOf() {
        if constexpr (std::is_same_v<Tag, BufferTag>) return Kind::Buffer;
        else if constexpr (std::is_same_v<Tag, ImageTag>) return Kind::Image;
        else if constexpr (std::is_same_v<Tag, ImageViewTag>) return Kind::ImageView;
        else if constexpr (std::is_same_v<Tag, SamplerTag>) return Kind::Sampler;
        else if constexpr (std::is_same_v<Tag, PipelineStateTag>) return Kind::PipelineState;
        else return Kind::Program;
    }

    // Counts and records the call, throws when armed to; answers whether the
    // call is to fail. describe(RecordedCall&) runs only while recording.
    template <class Describe>
    bool Enter(Operation op, Describe&& describe) const;
    template <class IdType>
    IdType Created(Kind kind, bool fail);
    void Destroy(Operation op, Kind kind, std::uint64_t idValue);
    const Slot* FindLive(std::uint64_t idValue, Kind kind) const;
    ImageStore* LiveImage(ImageId image);
    // Sizes the store for the pitches in force; fresh bytes hold kFreshByte.
    void Lay(ImageStore& image, std::uint32_t rowPadding, std::uint32_t slicePadding) const;

    static Operation OperationNamed(std::string_view name);
    static bool Fires(const Fault& fault, std::uint64_t calls);

    mutable std::vector<RecordedCall> calls_;
    mutable std::array<OperationState, static_cast<std::size_t>(Operation::Count)> operations_{};
    std::vector<Slot> slots_;
    std::vector<std::uint32_t> freeSlots_;
    std::unordered_map<std::uint64_t, ImageStore> images_;
    std::unordered_map<std::uint64_t, std::vector<std::uint8_t>> buffers_;
    bool recording_ = true;
    std::uint32_t rowPadding_ = 0;
    std::uint32_t slicePadding_ = 0;
    std::uint32_t maxBufferSize_ = kDefaultMaxBufferSize;
};

}  // namespace Korvex::Rendering
