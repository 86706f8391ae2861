#pragma once

// Where the camera looks from and how it frames what is drawn.

#include "ScenePlan.h"

#include <GridLayout.h>
#include <ViewFraming.h>

#include <Korvex/Math/KxTransformMatrix.h>

#include <optional>
#include <span>
#include <vector>

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

// How a camera of the choice frames: projection, field of view, zoom.
Rendering::Framing FramingOf(const CameraChoice& choice);

// What the plan draws (its drawnPoints), or the grid's corners when the
// clip planes keep nothing, so that the camera looks where nothing shows.
std::vector<Rendering::KxVector3d> FramedPoints(const ScenePlan& plan);

struct Sphere {
    Rendering::KxVector3d centre;
    double radius = 0.0;
};
// The sphere about the centre of the points' box that holds them all;
// points must not be empty.
Sphere BoundingSphere(std::span<const Rendering::KxVector3d> points);
// Where the sphere meets the view's axes: what a camera that keeps its
// distance whatever the direction frames.
std::vector<Rendering::KxVector3d> SphereExtremes(const Sphere& sphere, const Rendering::ViewDirection& direction);

// The camera that fills region of the picture with what the plan draws
// (its drawnPoints) seen along direction, its depth range holding the
// plan's depthPoints too. steadyDistance frames their bounding sphere
// instead, which keeps the camera's distance and the subject's size whatever
// the direction: for turntables.
Rendering::ViewMatrices FrameScene(const ScenePlan& plan, const Rendering::ViewDirection& direction,
                                   const CameraChoice& choice, const Rendering::PictureRegion& region, double width,
                                   double height, bool steadyDistance = false);

}  // namespace Korvex::App
