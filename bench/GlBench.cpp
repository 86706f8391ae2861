#include "GlBench.h"

#include <GlApi.h>

#include <memory>

namespace Korvex::Rendering::bench {

namespace {
std::unique_ptr<GlDevice> device;
}  // namespace

bool OpenGl(std::string* error) {
    device = GlDevice::Create(error);
    return device != nullptr;
}

void CloseGl() { device.reset(); }

GlDevice* Gl() { return device.get(); }

// The device offers readback, which would add a copy of the target to every
// measurement; glFinish on its current context waits without one.
void FinishGl() { glFinish(); }

}  // namespace Korvex::Rendering::bench
