#include "RecordingDevice.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace Korvex::Rendering {
namespace {

constexpr std::array<std::string_view, 28> kOperationNames = {
    "GetMaxBufferSize", "CreateBuffer", "CreateBufferView", "CreateImage", "CreateImageView", "CreateSampler",
    "CreatePipelineState", "UpdateBuffer", "WriteImage", "DestroyBuffer", "DestroyImage", "DestroyImageView",
    "DestroySampler", "DestroyPipelineState", "GetImageInfo", "MapImage", "UnmapImage", "CreateProgram",
    "DestroyProgram", "BindDrawCall", "ApplyPipelineStateDesc", "CopyImage", "DrawIndexed", "DrawIndexedInstanced",
    "DrawVertices", "ClearDepth", "ClearDepthStencil", "ClearStencil"};

// Id arguments print as "index:generation"; everything else as a number.
template <class T>
void Put(std::ostream& out, const T& value) {
    if constexpr (requires { value.value; value.IsNull(); }) {
        out << IdText(value);
    } else if constexpr (std::is_same_v<T, VertexBufferIds>) {
        out << '{';
        for (std::size_t i = 0; i < value.size(); ++i) out << (i == 0 ? "" : ",") << IdText(value[i]);
        out << '}';
    } else if constexpr (std::is_same_v<T, std::uint8_t>) {
        out << unsigned{value};
    } else {
        out << value;
    }
}

template <class... T>
std::string Join(const T&... parts) {
    std::ostringstream out;
    const char* separator = "";
    ((out << separator, Put(out, parts), separator = ","), ...);
    return out.str();
}

std::string DescText(const ImageDesc& d) {
    return "{" + Join(d.width, d.height, d.depth, d.format, d.mipLevels, d.arraySize, d.usage) + "}";
}

std::string StageText(const ShaderStageSources& sources) {
    static constexpr std::array<std::string_view, kShaderStageCount> kStageNames = {"vertex", "hull", "domain",
                                                                                    "geometry", "pixel"};
    std::string text;
    for (std::size_t i = 0; i < kShaderStageCount; ++i) {
        if (sources.stages[i].empty()) continue;
        if (!text.empty()) text += '+';
        text += kStageNames[i];
    }
    return text;
}

std::vector<std::uint8_t> BytesOf(const void* data, std::size_t size) {
    if (data == nullptr) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

std::uint32_t TexelBytes(std::uint32_t format, const char* caller) {
    switch (format) {
        case kFormatR16Uint: return 2;
        case kFormatRgba8Unorm:
        case kFormatR32Uint:
        case kFormatR32Float:
        case kFormatDepth24Stencil8: return 4;
        case kFormatRgb32Float: return 12;
        case kFormatRgba32Float: return 16;
        default: throw std::invalid_argument(std::string(caller) + ": unsupported format " + std::to_string(format));
    }
}

}  // namespace

// ---------------------------------------------------------------- bookkeeping

RecordingDevice::Operation RecordingDevice::OperationNamed(std::string_view name) {
    static_assert(kOperationNames.size() == static_cast<std::size_t>(Operation::Count));
    const auto found = std::find(kOperationNames.begin(), kOperationNames.end(), name);
    if (found == kOperationNames.end())
        throw std::invalid_argument("RecordingDevice::OperationNamed(): no operation " + std::string(name));
    return static_cast<Operation>(found - kOperationNames.begin());
}

bool RecordingDevice::Fires(const Fault& fault, std::uint64_t calls) {
    return fault.armed && (fault.nthCall == 0 || calls - fault.armedAt == fault.nthCall);
}

template <class Describe>
bool RecordingDevice::Enter(Operation op, Describe&& describe) const {
    const auto index = static_cast<std::size_t>(op);
    OperationState& state = operations_[index];
    ++state.calls;
    if (recording_) {
        RecordedCall& call = calls_.emplace_back();
        call.operation = kOperationNames[index];
        describe(call);
    }
    if (Fires(state.raise, state.calls))
        throw std::runtime_error("RecordingDevice::" + std::string(kOperationNames[index]) + "(): injected fault");
    return Fires(state.fail, state.calls);
}

template <class IdType>
IdType RecordingDevice::Created(Kind kind, bool fail) {
    IdType id;
    if (!fail) {
        std::uint32_t index;
        if (freeSlots_.empty()) {
            index = static_cast<std::uint32_t>(slots_.size());
            slots_.emplace_back();
        } else {
            index = freeSlots_.back();
            freeSlots_.pop_back();
        }
        Slot& slot = slots_[index];
        slot.kind = kind;
        slot.live = true;
        id = IdType::FromParts(index, slot.generation);
    }
    if (recording_) calls_.back().result = id.value;
    return id;
}

const RecordingDevice::Slot* RecordingDevice::FindLive(std::uint64_t idValue, Kind kind) const {
    const auto index = static_cast<std::uint32_t>(idValue);
    if (index >= slots_.size()) return nullptr;
    const Slot& slot = slots_[index];
    const bool same = slot.live && slot.kind == kind && slot.generation == static_cast<std::uint32_t>(idValue >> 32);
    return same ? &slot : nullptr;
}

void RecordingDevice::Destroy(Operation op, Kind kind, std::uint64_t idValue) {
    Enter(op, [&](RecordedCall& call) { call.arguments = IdText(idValue); });
    if (FindLive(idValue, kind) == nullptr) return;
    const auto index = static_cast<std::uint32_t>(idValue);
    slots_[index].live = false;
    ++slots_[index].generation;
    freeSlots_.push_back(index);
}

RecordingDevice::ImageStore* RecordingDevice::LiveImage(ImageId image) {
    if (FindLive(image.value, Kind::Image) == nullptr) return nullptr;
    return &images_.at(image.value);
}

void RecordingDevice::Lay(ImageStore& image, std::uint32_t rowPadding, std::uint32_t slicePadding) const {
    const ImageDesc& d = image.desc;
    const std::uint32_t texel = TexelBytes(d.format, "RecordingDevice::Lay()");
    image.rowPitch = std::max(d.width, 1u) * texel + rowPadding;
    image.slicePitch = image.rowPitch * std::max(d.height, 1u) + slicePadding;
    image.bytes.resize(std::size_t{image.slicePitch} * std::max(d.depth, 1u), kFreshByte);
}

// ---------------------------------------------------------------- resources

std::uint32_t RecordingDevice::GetMaxBufferSize() const {
    Enter(Operation::GetMaxBufferSize, [](RecordedCall&) {});
    return maxBufferSize_;
}

BufferId RecordingDevice::CreateBuffer(const BufferDesc& desc, const void* data) {
    const bool fail = Enter(Operation::CreateBuffer, [&](RecordedCall& call) {
        call.arguments = "{" + Join(desc.size, desc.usage) + "}," + (data != nullptr ? "data" : "null");
        call.payload = desc;
    });
    const auto id = Created<BufferId>(Kind::Buffer, fail || desc.size > maxBufferSize_);
    if (id) {
        std::vector<std::uint8_t> bytes = BytesOf(data, desc.size);
        bytes.resize(desc.size);
        buffers_[id.value] = std::move(bytes);
    }
    return id;
}

ImageViewId RecordingDevice::CreateBufferView(BufferId buffer, std::uint32_t format, std::uint32_t first,
                                              std::uint32_t count) {
    const bool fail = Enter(Operation::CreateBufferView,
                            [&](RecordedCall& call) { call.arguments = Join(buffer, format, first, count); });
    return Created<ImageViewId>(Kind::ImageView, fail || !IsLive(buffer));
}

ImageId RecordingDevice::CreateImage(const ImageDesc& desc) {
    const bool fail = Enter(Operation::CreateImage, [&](RecordedCall& call) {
        call.arguments = DescText(desc);
        call.payload = desc;
    });
    const auto id = Created<ImageId>(Kind::Image, fail);
    if (id) images_[id.value] = ImageStore{desc, {}, 0, 0};
    return id;
}

ImageViewId RecordingDevice::CreateImageView(ImageId image, const ImageViewDesc&) {
    const bool fail = Enter(Operation::CreateImageView, [&](RecordedCall& call) { call.arguments = IdText(image); });
    return Created<ImageViewId>(Kind::ImageView, fail || !IsLive(image));
}

SamplerId RecordingDevice::CreateSampler(const SamplerDesc& desc) {
    const bool fail = Enter(Operation::CreateSampler, [&](RecordedCall& call) {
        call.arguments = "{" + Join(desc.filter, desc.address) + "}";
        call.payload = desc;
    });
    return Created<SamplerId>(Kind::Sampler, fail);
}

PipelineStateId RecordingDevice::CreatePipelineState(const PipelineStateDesc& desc) {
    const bool fail = Enter(Operation::CreatePipelineState, [&](RecordedCall& call) {
        call.arguments = "program=" + IdText(desc.program) + ",topology=" + std::to_string(desc.topology);
        call.payload = desc;
    });
    return Created<PipelineStateId>(Kind::PipelineState, fail);
}

void RecordingDevice::UpdateBuffer(BufferId buffer, std::uint32_t offset, std::uint32_t size, const void* data) {
    Enter(Operation::UpdateBuffer, [&](RecordedCall& call) {
        call.arguments = Join(buffer, offset, size);
        call.payload = BytesOf(data, size);
    });
    if (!IsLive(buffer) || data == nullptr) return;
    std::vector<std::uint8_t>& bytes = buffers_.at(buffer.value);
    if (std::uint64_t{offset} + size > bytes.size()) return;
    std::memcpy(bytes.data() + offset, data, size);
}

bool RecordingDevice::WriteImage(ImageId image, const SubImage& region, const void* data, std::size_t size) {
    const bool fail = Enter(Operation::WriteImage, [&](RecordedCall& call) {
        call.arguments = Join(image) + ",{" +
                         Join(region.x, region.y, region.z, region.width, region.height, region.depth,
                              region.mipLevel) +
                         "}," + std::to_string(size);
        call.payload = BytesOf(data, size);
    });
    ImageStore* store = LiveImage(image);
    if (fail || store == nullptr || data == nullptr || region.mipLevel != 0) return false;

    const ImageDesc& d = store->desc;
    const std::uint32_t extent[3] = {std::max(d.width, 1u), std::max(d.height, 1u), std::max(d.depth, 1u)};
    const bool whole = region.IsWholeImage();
    const std::uint32_t origin[3] = {region.x, region.y, region.z};
    std::uint32_t box[3] = {region.width, region.height, region.depth};
    for (int axis = 0; axis < 3; ++axis) {
        box[axis] = whole ? extent[axis] : std::max(box[axis], 1u);
        if (std::uint64_t{origin[axis]} + box[axis] > extent[axis]) return false;
    }
    const std::size_t texel = TexelBytes(d.format, "RecordingDevice::WriteImage()");
    const std::size_t rowBytes = texel * box[0];
    if (size < rowBytes * box[1] * box[2]) return false;

    if (store->bytes.empty()) Lay(*store, 0, 0);
    const auto* source = static_cast<const std::uint8_t*>(data);
    for (std::uint32_t z = 0; z < box[2]; ++z) {
        for (std::uint32_t y = 0; y < box[1]; ++y, source += rowBytes) {
            const std::size_t at = std::size_t{store->slicePitch} * (origin[2] + z) +
                                   std::size_t{store->rowPitch} * (origin[1] + y) + texel * origin[0];
            std::memcpy(store->bytes.data() + at, source, rowBytes);
        }
    }
    return true;
}

void RecordingDevice::DestroyBuffer(BufferId id) { Destroy(Operation::DestroyBuffer, Kind::Buffer, id.value); }
void RecordingDevice::DestroyImage(ImageId id) { Destroy(Operation::DestroyImage, Kind::Image, id.value); }
void RecordingDevice::DestroyImageView(ImageViewId id) {
    Destroy(Operation::DestroyImageView, Kind::ImageView, id.value);
}
void RecordingDevice::DestroySampler(SamplerId id) { Destroy(Operation::DestroySampler, Kind::Sampler, id.value); }
void RecordingDevice::DestroyPipelineState(PipelineStateId id) {
    Destroy(Operation::DestroyPipelineState, Kind::PipelineState, id.value);
}

// ---------------------------------------------------------------- images

ImageInfo RecordingDevice::GetImageInfo(ImageId image) const {
    Enter(Operation::GetImageInfo, [&](RecordedCall& call) { call.arguments = IdText(image); });
    if (!IsLive(image)) return {};
    const ImageDesc& d = images_.at(image.value).desc;
    return {d.width, d.height};
}

MappedImage RecordingDevice::MapImage(ImageId image, std::uint32_t subresource, std::uint32_t mode) {
    const bool fail = Enter(Operation::MapImage,
                            [&](RecordedCall& call) { call.arguments = Join(image, subresource, mode); });
    ImageStore* store = LiveImage(image);
    if (fail || store == nullptr) return {};
    Lay(*store, rowPadding_, slicePadding_);
    return {store->bytes.data(), store->rowPitch, store->slicePitch};
}

void RecordingDevice::UnmapImage(ImageId image, std::uint32_t subresource) {
    Enter(Operation::UnmapImage, [&](RecordedCall& call) { call.arguments = Join(image, subresource); });
}

void RecordingDevice::CopyImage(ImageId source, ImageId destination) {
    Enter(Operation::CopyImage, [&](RecordedCall& call) { call.arguments = Join(source, destination); });
    ImageStore* from = LiveImage(source);
    ImageStore* to = LiveImage(destination);
    if (from == nullptr || to == nullptr || from == to) return;
    if (from->bytes.empty()) Lay(*from, 0, 0);
    to->bytes = from->bytes;
    to->rowPitch = from->rowPitch;
    to->slicePitch = from->slicePitch;
}

// ---------------------------------------------------------------- programs and commands

ProgramId RecordingDevice::CreateProgram(const ShaderStageSources& sources) {
    const bool fail = Enter(Operation::CreateProgram, [&](RecordedCall& call) {
        call.arguments = StageText(sources);
        call.payload = sources;
    });
    return Created<ProgramId>(Kind::Program, fail);
}

void RecordingDevice::DestroyProgram(ProgramId id) { Destroy(Operation::DestroyProgram, Kind::Program, id.value); }

void RecordingDevice::BindDrawCall(PipelineStateId pipeline, const DrawCallDesc& drawCall) {
    Enter(Operation::BindDrawCall, [&](RecordedCall& call) {
        call.arguments = IdText(pipeline);
        call.payload = BindDrawCallArguments{pipeline, drawCall};
    });
}

bool RecordingDevice::ApplyPipelineStateDesc(const PipelineStateDesc& state) {
    return !Enter(Operation::ApplyPipelineStateDesc, [&](RecordedCall& call) {
        call.arguments = "program=" + IdText(state.program) + ",topology=" + std::to_string(state.topology);
        call.payload = state;
    });
}

void RecordingDevice::DrawIndexed(const VertexBufferIds& vertexBuffers, BufferId indexBuffer,
                                  std::uint32_t indexFormat, std::uint32_t indexCount, std::uint32_t firstIndex,
                                  std::int32_t baseVertex) {
    Enter(Operation::DrawIndexed, [&](RecordedCall& call) {
        call.arguments = Join(vertexBuffers, indexBuffer, indexFormat, indexCount, firstIndex, baseVertex);
        DrawArguments draw;
        draw.vertexBuffers = vertexBuffers;
        draw.indexBuffer = indexBuffer;
        draw.indexFormat = indexFormat;
        draw.indexCount = indexCount;
        draw.firstIndex = firstIndex;
        draw.baseVertex = baseVertex;
        call.payload = draw;
    });
}

void RecordingDevice::DrawIndexedInstanced(std::uint64_t instanceCount, const VertexBufferIds& vertexBuffers,
                                           BufferId indexBuffer, std::uint32_t indexFormat, std::uint32_t indexCount,
                                           std::uint32_t firstIndex, std::int32_t baseVertex) {
    Enter(Operation::DrawIndexedInstanced, [&](RecordedCall& call) {
        call.arguments =
            Join(instanceCount, vertexBuffers, indexBuffer, indexFormat, indexCount, firstIndex, baseVertex);
        DrawArguments draw;
        draw.instanceCount = instanceCount;
        draw.vertexBuffers = vertexBuffers;
        draw.indexBuffer = indexBuffer;
        draw.indexFormat = indexFormat;
        draw.indexCount = indexCount;
        draw.firstIndex = firstIndex;
        draw.baseVertex = baseVertex;
        call.payload = draw;
    });
}

void RecordingDevice::DrawVertices(const VertexBufferIds& vertexBuffers, std::uint32_t vertexCount,
                                   std::uint32_t firstVertex) {
    Enter(Operation::DrawVertices, [&](RecordedCall& call) {
        call.arguments = Join(vertexBuffers, vertexCount, firstVertex);
        DrawArguments draw;
        draw.vertexBuffers = vertexBuffers;
        draw.vertexCount = vertexCount;
        draw.firstVertex = firstVertex;
        call.payload = draw;
    });
}

void RecordingDevice::ClearDepth(ImageId colorTarget, ImageId depthTarget, float depth) {
    Enter(Operation::ClearDepth,
          [&](RecordedCall& call) { call.arguments = Join(colorTarget, depthTarget, depth); });
}

void RecordingDevice::ClearDepthStencil(ImageId colorTarget, ImageId depthTarget, float depth,
                                        std::uint8_t stencil) {
    Enter(Operation::ClearDepthStencil,
          [&](RecordedCall& call) { call.arguments = Join(colorTarget, depthTarget, depth, stencil); });
}

void RecordingDevice::ClearStencil(ImageId colorTarget, ImageId depthTarget, std::uint8_t stencil) {
    Enter(Operation::ClearStencil, [&](RecordedCall& call) { call.arguments = Join(colorTarget, depthTarget, stencil); });
}

// ---------------------------------------------------------------- test access

std::vector<std::string> RecordingDevice::OperationNames() const {
    std::vector<std::string> names;
    names.reserve(calls_.size());
    for (const RecordedCall& call : calls_) names.push_back(call.operation);
    return names;
}

std::size_t RecordingDevice::CountOf(std::string_view operation) const {
    return static_cast<std::size_t>(std::count_if(calls_.begin(), calls_.end(),
                                                  [&](const RecordedCall& call) { return call.operation == operation; }));
}

std::size_t RecordingDevice::LiveObjectCount() const {
    return static_cast<std::size_t>(std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.live; }));
}

const std::vector<std::uint8_t>& RecordingDevice::BufferBytes(BufferId buffer) const {
    const auto found = buffers_.find(buffer.value);
    if (found == buffers_.end())
        throw std::out_of_range("RecordingDevice::BufferBytes(): unknown buffer " + IdText(buffer));
    return found->second;
}

const std::vector<std::uint8_t>& RecordingDevice::ImageBytes(ImageId image) const {
    const auto found = images_.find(image.value);
    if (found == images_.end()) throw std::out_of_range("RecordingDevice::ImageBytes(): unknown image " + IdText(image));
    return found->second.bytes;
}

const ImageDesc& RecordingDevice::ImageDescOf(ImageId image) const {
    const auto found = images_.find(image.value);
    if (found == images_.end())
        throw std::out_of_range("RecordingDevice::ImageDescOf(): unknown image " + IdText(image));
    return found->second.desc;
}

void RecordingDevice::FailOperation(std::string_view operation, std::uint32_t nthCall) {
    const Operation op = OperationNamed(operation);
    const bool canFail = operation.starts_with("Create") || op == Operation::MapImage ||
                         op == Operation::WriteImage || op == Operation::ApplyPipelineStateDesc;
    if (!canFail)
        throw std::invalid_argument("RecordingDevice::FailOperation(): " + std::string(operation) +
                                    " has no failure result");
    OperationState& state = operations_[static_cast<std::size_t>(op)];
    state.fail = {true, nthCall, state.calls};
}

void RecordingDevice::ThrowFrom(std::string_view operation, std::uint32_t nthCall) {
    OperationState& state = operations_[static_cast<std::size_t>(OperationNamed(operation))];
    state.raise = {true, nthCall, state.calls};
}

void RecordingDevice::ClearFaults() {
    for (OperationState& state : operations_) state.fail = state.raise = Fault{};
}

void RecordingDevice::SetPitchPadding(std::uint32_t rowBytes, std::uint32_t sliceBytes) {
    rowPadding_ = rowBytes;
    slicePadding_ = sliceBytes;
}

}  // namespace Korvex::Rendering
