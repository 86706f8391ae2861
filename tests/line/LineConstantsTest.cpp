#include "meshes/line/LineConstants.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace Korvex::Rendering::detail {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(LineConstantsDeclarationTest, IsTheFixedHeadOfEveryStageText) {
    const std::string& text = kLineConstantsDeclaration;
    EXPECT_EQ(text.size(), 554u);
    EXPECT_EQ(text.front(), '\n');
    EXPECT_EQ(text.back(), '\n');
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "CBUFFER(constants, 0)");
    EXPECT_EQ(lines[2], "      {");
    EXPECT_EQ(lines[3], "      float4x4 model_matrix;");
    EXPECT_EQ(lines[20], "      float4 pixel_size_min_cell_size;");
    EXPECT_EQ(lines[21], "      };");
}

// Every field the shaders declare sits where the mesh writes it: offsets
// follow from the declared types (all of them pack without padding here).
TEST(LineConstantsDeclarationTest, DeclaresTheFieldsAtTheOffsetsOfTheBlock) {
    const std::map<std::string, std::size_t> sizes = {{"float", 4}, {"float4", 16}, {"float4x4", 64}};
    const std::vector<std::pair<std::string, std::size_t>> expected = {
        {"model_matrix", offsetof(SimulationConstants, model_matrix)},
        {"model_view_matrix", offsetof(SimulationConstants, model_view_matrix)},
        {"normal_matrix", offsetof(SimulationConstants, normal_matrix)},
        {"projection_matrix", offsetof(SimulationConstants, projection_matrix)},
        {"model_view_projection_matrix", offsetof(SimulationConstants, model_view_projection_matrix)},
        {"min_value", offsetof(SimulationConstants, min_value)},
        {"max_value", offsetof(SimulationConstants, max_value)},
        {"min_sample_value", offsetof(SimulationConstants, min_sample_value)},
        {"sample_value_range", offsetof(SimulationConstants, sample_value_range)},
        {"color", offsetof(SimulationConstants, color)},
        {"deformation", offsetof(SimulationConstants, deformation)},
        {"brightness", offsetof(SimulationConstants, brightness)},
        {"alpha_value", offsetof(SimulationConstants, alpha_value)},
        {"padding0", offsetof(SimulationConstants, padding0)},
        {"corner_min", offsetof(SimulationConstants, corner_min)},
        {"corner_max", offsetof(SimulationConstants, corner_max)},
        {"clip_planes", offsetof(SimulationConstants, clip_planes)},
        {"pixel_size_min_cell_size", offsetof(SimulationConstants, pixel_size_min_cell_size)},
    };

    const std::vector<std::string> lines = Lines(kLineConstantsDeclaration);
    std::vector<std::pair<std::string, std::size_t>> declared;
    std::size_t offset = 0;
    for (std::size_t i = 3; i + 1 < lines.size(); ++i) {
        std::istringstream field(lines[i]);
        std::string type, name;
        field >> type >> name;
        ASSERT_EQ(name.back(), ';') << lines[i];
        name.pop_back();
        std::size_t count = 1;
        if (const std::size_t bracket = name.find('['); bracket != std::string::npos) {
            count = std::stoul(name.substr(bracket + 1));
            name.resize(bracket);
        }
        ASSERT_EQ(sizes.count(type), 1u) << lines[i];
        declared.emplace_back(name, offset);
        offset += sizes.at(type) * count;
    }
    EXPECT_EQ(declared, expected);
    EXPECT_EQ(offset, sizeof(SimulationConstants));
}

}  // namespace
}  // namespace Korvex::Rendering::detail
