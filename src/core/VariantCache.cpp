#include "core/VariantCache.h"

namespace Korvex::Rendering::detail {

PipelineStateId FindOrCreatePipelineState(IGpu& gpu, ResourceCache& cache, std::uint64_t key,
                                          const PipelineStateDesc& state) {
    auto found = cache.pipelineStates.find(key);
    if (found == cache.pipelineStates.end()) {
        GpuHandle<PipelineStateTag> pipeline(gpu, gpu.CreatePipelineState(state));
        found = cache.pipelineStates.emplace(key, std::move(pipeline)).first;
    }
    return found->second.Get();
}

}  // namespace Korvex::Rendering::detail
