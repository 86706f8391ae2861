#pragma once

#include "ShaderTranslator.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace Korvex::Rendering::ShaderCompiler::Testing {

// The attributes a stage cannot do without, so that a test can focus on one
// construct.
inline std::string_view RequiredAttributes(StageKind stage) {
    switch (stage) {
    case StageKind::Hull: return "[output_control_points = 3]\n";
    case StageKind::Domain: return "[domain = triangle]\n";
    case StageKind::Geometry: return "[input_topology = points]\n[output_topology = triangles]\n[max_vertices = 4]\n";
    default: return "";
    }
}

// A stage made of `declarations`, a main with `body`, and what the stage
// needs besides (attributes, the hull's patch-constant function).
inline std::string StageWith(StageKind stage, std::string_view declarations, std::string_view body) {
    std::string text = std::string(RequiredAttributes(stage)) + std::string(declarations) + "\nvoid main()\n{\n" +
                       std::string(body) + "\n}\n";
    if (stage == StageKind::Hull) {
        text += "void patch_constant_function()\n{\n}\n";
    }
    return text;
}

inline std::string GlslOf(std::string_view source, StageKind stage) {
    const Translation translation = TranslateStage(source, stage);
    EXPECT_TRUE(translation.Ok()) << translation.error << "\n--- source:\n" << source;
    return translation.glsl;
}

inline std::string ErrorOf(std::string_view source, StageKind stage) {
    const Translation translation = TranslateStage(source, stage);
    EXPECT_FALSE(translation.Ok()) << "translated without error:\n" << translation.glsl;
    EXPECT_TRUE(translation.glsl.empty());
    return translation.error;
}

inline bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace Korvex::Rendering::ShaderCompiler::Testing
