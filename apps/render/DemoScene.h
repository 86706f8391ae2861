#pragma once

// The built-in demo: an analytic simulation of a heated, loaded block and
// the pictures made of it.

#include "SceneCamera.h"
#include "ScenePlan.h"

#include <UniformField.h>

#include <string>
#include <vector>

namespace Korvex::App {

// A steel cantilever 2 m long with a 0.6 m square section, clamped at x = 0,
// heated from a spot on its top face and bent down by a load at its free end:
// temperature (degrees C) and displacement (m) on 41 x 13 x 13 samples.
Fields::UniformField MakeDemoBlock();

struct DemoImage {
    std::string fileName;
    std::string title;    // above the picture
    std::string caption;  // what the picture shows, printed
    ScenePlan plan;       // completed
    CameraChoice camera;
    bool probeCentre = false;  // print the value under the image centre and mark it
};

// Every demo picture of the block, planned; an error means a fault in the
// demo itself.
std::vector<DemoImage> DemoImages(const Fields::UniformField& block, std::string* error);

}  // namespace Korvex::App
