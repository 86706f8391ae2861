#pragma once

// Where the camera looks from and how it frames what is drawn.

#include "ScenePlan.h"

#include <GridLayout.h>
#include <ViewFraming.h>

#include <Korvex/Math/KxTransformMatrix.h>

#include <optional>
#include <span>

namespace Korvex::App {

struct CameraChoice {
    std::optional<Rendering::ViewPreset> preset;
    std::optional<double> azimuth;    // degrees about the z axis from the x axis (default -60)
    std::optional<double> elevation;  // degrees above the x-y plane, within +-89 (default 25)
    bool orthographic = false;
    double zoom = 1.0;
};

// The preset's direction, or the one from the angles; a grid flat along one
// axis and no choice made: face-on (along -z, +y or -x). turnDegrees turns
// the direction about the z axis, as a turntable does.
Rendering::ViewDirection ViewDirectionFor(const CameraChoice& choice, const Fields::GridLayout& grid,
                                          double turnDegrees = 0.0);

// The camera that fills region of the picture with what the plan draws
// (its drawnPoints) seen along direction, its depth range holding the
// plan's depthPoints too. steadyDistance frames their bounding sphere
// instead, which keeps the camera's distance and the subject's size whatever
// the direction: for turntables.
Rendering::ViewMatrices FrameScene(const ScenePlan& plan, const Rendering::ViewDirection& direction,
                                   const CameraChoice& choice, const Rendering::PictureRegion& region, double width,
                                   double height, bool steadyDistance = false);

}  // namespace Korvex::App
