#include "meshes/triangle/TriangleProgram.h"

#include "core/CacheKey.h"
#include "meshes/triangle/TriangleConstants.h"
#include "meshes/triangle/TriangleGridMesh.h"
#include "meshes/triangle/TriangleShaderTemplates.h"
#include "shaders/Specialize.h"

namespace Korvex::Rendering::detail {

std::uint64_t TriangleProgramKey(const TriangleProgramVariant& variant) {
    CacheKeyBuilder key(ClassKeySeed<TriangleGridMesh>());
    key.AddRehashed(variant.planeCount)
        .AddRehashed(variant.deform)
        .AddRehashed(variant.drawingPlane)
        .AddRehashed(variant.probeValue)
        .AddRehashed(variant.probePosition);
    if (variant.displacedVertices) key.AddRehashed(variant.displacedVertices);
    return key.Key();
}

ShaderStageSources TriangleProgramSources(const TriangleProgramVariant& variant) {
    ShaderStageSources sources;
    if (variant.deform && variant.displacedVertices) {
        sources = AssembleProgram(TriangleConstantsDeclaration(), {kTriangleVertexC, {}, {}, {}, kTrianglePixelC});
    } else if (variant.deform) {
        sources = AssembleProgram(TriangleConstantsDeclaration(),
                                  {kTriangleVertexB, kTriangleHull, kTriangleDomain, {}, kTrianglePixelB});
        // The geometry stage reads no constants and goes without their declaration.
        sources.stages[kStageIndexGeometry] = kTriangleGeometry;
    } else {
        sources = AssembleProgram(TriangleConstantsDeclaration(), {kTriangleVertexA, {}, {}, {}, kTrianglePixelA});
    }
    return SpecializeProgram(sources, variant.planeCount,
                             TriangleShaderFeatures(variant.drawingPlane, variant.probeValue, variant.probePosition));
}

}  // namespace Korvex::Rendering::detail
