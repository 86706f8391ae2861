#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>
#include <Korvex/Rendering/Gpu/GpuHandle.h>
#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/Gpu/ResourceCache.h>

#include <cstdint>
#include <utility>

namespace Korvex::Rendering::detail {

// The program cached under key; on a miss, buildSources() gives the stage
// texts to compile. A failed compilation is cached too (null id), so a
// broken variant is not rebuilt every frame. No allocation on a hit.
template <class BuildSources>
ProgramId FindOrCreateProgram(IGpu& gpu, ResourceCache& cache, std::uint64_t key, BuildSources&& buildSources) {
    auto found = cache.programs.find(key);
    if (found == cache.programs.end()) {
        // The handle owns the program before the map can throw.
        GpuHandle<ProgramTag> program(gpu, gpu.CreateProgram(std::forward<BuildSources>(buildSources)()));
        found = cache.programs.emplace(key, std::move(program)).first;
    }
    return found->second.Get();
}

// The pipeline state cached under key, created from state on a miss.
PipelineStateId FindOrCreatePipelineState(IGpu& gpu, ResourceCache& cache, std::uint64_t key,
                                          const PipelineStateDesc& state);

}  // namespace Korvex::Rendering::detail
