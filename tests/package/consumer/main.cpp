// A host built against the installed package: headers, the shared library
// and the geometry builder resolve, and an exported function runs.
#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

int main() {
    const auto table = Korvex::Rendering::GetRgbaColorMap(Korvex::Rendering::ColorMaps::Jet);
    return table.size() == 1024 && table[2] == 127 ? 0 : 1;
}
