#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>
#include <Korvex/Rendering/Gpu/ResourceCache.h>
#include <Korvex/Rendering/Simulation/INamedObject.h>
#include <Korvex/Rendering/StringId.h>

#include <cstdint>

namespace Korvex::Rendering {

class IRenderable : public INamedObject {
public:
    virtual std::uint32_t GetUserValue() const = 0;
    virtual void SetUserValue(std::uint32_t value) = 0;
    // "SimulationTechnique", "TransparentSimulationTechnique" or "CappedSimulationTechnique".
    virtual StringId GetTechnique() const = 0;
    // Draws for one view into the pass's targets. context and passThrough are
    // the host's and are not interpreted.
    virtual void Draw(void* context, const RenderPassDesc& pass, ResourceCache& cache, void* passThrough) = 0;
};

}  // namespace Korvex::Rendering
