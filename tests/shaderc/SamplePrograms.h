#pragma once

// The library's own programs as realistic stage texts: one for each
// combination of stages the meshes use, specialised with two clip planes
// and every feature on. The translator's tests check their translation; GL
// tests compile and link them.

#include "meshes/line/LineGridMesh.h"
#include "meshes/triangle/TriangleProgram.h"
#include "meshes/voxel/VoxelProgram.h"

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler::Samples {

struct SampleProgram {
    std::string_view name;
    ShaderStageSources sources;  // an empty stage is absent
};

inline const std::vector<SampleProgram>& SamplePrograms() {
    static const std::vector<SampleProgram> programs = {
        {"Line", LineGridMesh::ProgramKey{2, false, true, true}.BuildSources()},
        {"LinePatch", LineGridMesh::ProgramKey{2, true, true, true}.BuildSources()},
        {"Triangle", detail::TriangleProgramSources({2, false, true, true, true})},
        {"TrianglePatch", detail::TriangleProgramSources({2, true, false, true, true})},
        {"Voxel", detail::VoxelProgramSources({true, true, true, 2, true})},
    };
    return programs;
}

// One stage of the sample program called name.
inline const std::string& SampleStage(std::string_view name, std::size_t stage) {
    for (const SampleProgram& program : SamplePrograms())
        if (program.name == name) return program.sources.stages[stage];
    throw std::invalid_argument("SampleStage(): no sample program " + std::string(name));
}

}  // namespace Korvex::Rendering::ShaderCompiler::Samples
