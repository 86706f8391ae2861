#include "core/CacheKey.h"
#include "meshes/line/LineGridMesh.h"
#include "meshes/line/LineTemplates.h"
#include "shaders/Specialize.h"

namespace Korvex::Rendering {

std::uint64_t LineGridMesh::ProgramKey::Hash() const {
    return detail::CacheKeyBuilder(detail::ClassKeySeed<LineGridMesh>())
        .Add(planeCount)
        .Add(deform)
        .Add(probeValue)
        .Add(probePosition)
        .Key();
}

ShaderStageSources LineGridMesh::ProgramKey::BuildSources() const {
    const ShaderStageSources sources =
        detail::AssembleProgram(detail::kLineConstantsDeclaration, detail::LineStageTemplates(deform));
    return detail::SpecializeProgram(sources, planeCount, detail::LineShaderFeatures(probeValue, probePosition));
}

}  // namespace Korvex::Rendering
