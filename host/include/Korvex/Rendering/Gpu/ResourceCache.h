#pragma once

#include <Korvex/Rendering/Gpu/GpuHandle.h>

#include <cstdint>
#include <unordered_map>

namespace Korvex::Rendering {

// Host-owned programs and pipeline states, keyed by the meshes' 64-bit
// variant keys. A failed creation is kept too (null id), so it is not retried.
struct ResourceCache {
    std::unordered_map<std::uint64_t, GpuHandle<ProgramTag>> programs;
    std::unordered_map<std::uint64_t, GpuHandle<PipelineStateTag>> pipelineStates;
};

}  // namespace Korvex::Rendering
