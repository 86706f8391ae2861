#pragma once

#include <Korvex/Rendering/Gpu/IGpu.h>

#include <utility>

namespace Korvex::Rendering {

inline void DestroyGpuObject(IGpu& gpu, BufferId id) { gpu.DestroyBuffer(id); }
inline void DestroyGpuObject(IGpu& gpu, ImageId id) { gpu.DestroyImage(id); }
inline void DestroyGpuObject(IGpu& gpu, ImageViewId id) { gpu.DestroyImageView(id); }
inline void DestroyGpuObject(IGpu& gpu, SamplerId id) { gpu.DestroySampler(id); }
inline void DestroyGpuObject(IGpu& gpu, ProgramId id) { gpu.DestroyProgram(id); }
inline void DestroyGpuObject(IGpu& gpu, PipelineStateId id) { gpu.DestroyPipelineState(id); }

// Owns one device object: destroys it once, through its device, when reset,
// replaced or destroyed; never destroys a null id. A throwing destroy ends
// the process (the destructor is noexcept).
template <class Tag>
class GpuHandle {
public:
    using IdType = Id<Tag, 32>;

    GpuHandle() = default;
    GpuHandle(IGpu& device, IdType id) : device_(&device), id_(id) {}
    GpuHandle(const GpuHandle&) = delete;
    GpuHandle& operator=(const GpuHandle&) = delete;
    GpuHandle(GpuHandle&& other) noexcept
        : device_(std::exchange(other.device_, nullptr)), id_(std::exchange(other.id_, IdType{})) {}
    GpuHandle& operator=(GpuHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            device_ = std::exchange(other.device_, nullptr);
            id_ = std::exchange(other.id_, IdType{});
        }
        return *this;
    }
    ~GpuHandle() { Reset(); }

    IdType Get() const { return id_; }
    IGpu* Device() const { return device_; }
    bool IsNull() const { return id_.IsNull(); }

    void Reset() noexcept {
        IGpu* device = std::exchange(device_, nullptr);
        IdType id = std::exchange(id_, IdType{});
        if (device != nullptr && !id.IsNull()) DestroyGpuObject(*device, id);
    }

private:
    IGpu* device_ = nullptr;
    IdType id_;
};

}  // namespace Korvex::Rendering
