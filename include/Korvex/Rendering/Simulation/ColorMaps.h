#pragma once

#include <Korvex/Rendering/Simulation/Export.h>

#include <cstdint>
#include <vector>

namespace Korvex::Rendering {

enum class ColorMaps : std::uint32_t { Viridis = 0, Jet = 1 };

// 256 RGBA entries (1,024 values), entry 0 at the low end. Any selector
// other than Jet gives viridis.
KORVEX_SIMULATION_EXPORT std::vector<float> GetRgbaFColorMap(ColorMaps map);
KORVEX_SIMULATION_EXPORT std::vector<std::uint8_t> GetRgbaColorMap(ColorMaps map);

// value * 255 truncated toward zero, low 8 bits kept: no rounding, no
// clamping (1.5 gives 126, -0.1 gives 231); NaN and huge values give 0.
KORVEX_SIMULATION_EXPORT std::vector<std::uint8_t> f2b(const std::vector<float>& values);

}  // namespace Korvex::Rendering
