#pragma once

#include <GlDevice.h>

#include <string>

namespace Korvex::Rendering::bench {

// The run's one GL device. Its context is current on the main thread, where
// every benchmark runs; it outlives them all.
bool OpenGl(std::string* error);
void CloseGl();
// Null when OpenGl failed or was not called.
GlDevice* Gl();

// Waits until the device has executed everything submitted so far.
void FinishGl();

}  // namespace Korvex::Rendering::bench
