#pragma once

// What the shared grid tests need to know about each grid.

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Korvex::Rendering::testing {

// What GetTexture reports, comparable across both grids.
struct TextureState {
    std::uint64_t view;
    std::vector<float> rangeMin;
    std::vector<float> rangeMax;
    std::array<std::size_t, 3> dimensions;
    friend bool operator==(const TextureState&, const TextureState&) = default;
};

struct ScalarCase {
    using Grid = IScalarGrid;
    using Element = float;
    static constexpr std::uint32_t kFormat = kFormatR32Float;
    static constexpr std::size_t kTexelBytes = 4;

    static std::unique_ptr<Grid> Create(IGpu& gpu) { return CreateScalarGrid(gpu); }
    static Element MakeElement(float v) { return v; }
    static bool Upload(Grid& grid, std::size_t x, std::size_t y, std::size_t z, const std::vector<Element>& e) {
        return grid.SetValues(x, y, z, e);
    }
    static TextureState State(const Grid& grid) {
        const ScalarGridTexture t = grid.GetTexture();
        return {t.view.value, {t.range_min}, {t.range_max}, t.dimensions};
    }
};

struct VectorCase {
    using Grid = IVectorGrid;
    using Element = Vector3f;
    static constexpr std::uint32_t kFormat = kFormatRgba32Float;
    static constexpr std::size_t kTexelBytes = 16;

    static std::unique_ptr<Grid> Create(IGpu& gpu) { return CreateVectorGrid(gpu); }
    static Element MakeElement(float v) { return {v, -v, v + 0.5f}; }
    static bool Upload(Grid& grid, std::size_t x, std::size_t y, std::size_t z, const std::vector<Element>& e) {
        return grid.SetVectors(x, y, z, e);
    }
    static TextureState State(const Grid& grid) {
        const VectorGridTexture t = grid.GetTexture();
        return {t.view.value, {t.range_min.begin(), t.range_min.end()}, {t.range_max.begin(), t.range_max.end()},
                t.dimensions};
    }
};

}  // namespace Korvex::Rendering::testing
