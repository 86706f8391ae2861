#pragma once

#include "ShaderTranslator.h"

#include <string_view>

namespace Korvex::Rendering::ShaderCompiler {

inline std::string_view StageName(StageKind stage) {
    switch (stage) {
    case StageKind::Vertex: return "vertex";
    case StageKind::Hull: return "hull";
    case StageKind::Domain: return "domain";
    case StageKind::Geometry: return "geometry";
    case StageKind::Pixel: return "pixel";
    }
    return "unknown";
}

// Stages whose inputs are arrays over the control points or vertices of a
// primitive.
inline bool HasPerVertexInputs(StageKind stage) {
    return stage == StageKind::Hull || stage == StageKind::Domain || stage == StageKind::Geometry;
}

}  // namespace Korvex::Rendering::ShaderCompiler
