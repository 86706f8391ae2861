#pragma once

#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/Simulation/ColorMaps.h>
#include <Korvex/Rendering/Simulation/Export.h>
#include <Korvex/Rendering/Simulation/ILineGridMesh.h>
#include <Korvex/Rendering/Simulation/IScalarGrid.h>
#include <Korvex/Rendering/Simulation/ITriangleGridMesh.h>
#include <Korvex/Rendering/Simulation/IVectorGrid.h>
#include <Korvex/Rendering/Simulation/IVoxelGridMesh.h>

#include <memory>

namespace Korvex::Rendering {

KORVEX_SIMULATION_EXPORT std::unique_ptr<IScalarGrid> CreateScalarGrid(IGpu& gpu);
KORVEX_SIMULATION_EXPORT std::unique_ptr<IVectorGrid> CreateVectorGrid(IGpu& gpu);
KORVEX_SIMULATION_EXPORT std::unique_ptr<ILineGridMesh> CreateLineGridMesh(IGpu& gpu);
KORVEX_SIMULATION_EXPORT std::unique_ptr<ITriangleGridMesh> CreateTriangleGridMesh(IGpu& gpu);
KORVEX_SIMULATION_EXPORT std::unique_ptr<IVoxelGridMesh> CreateVoxelGridMesh(IGpu& gpu);

}  // namespace Korvex::Rendering
