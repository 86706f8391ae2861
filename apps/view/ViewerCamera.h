#pragma once

// The viewer's camera: a direction the mouse turns about what is drawn,
// framed as a turntable frames it (its bounding sphere, so that its size
// stays whatever the direction), and a zoom and pan of the picture.

#include <SceneCamera.h>
#include <ScenePlan.h>
#include <UniformField.h>
#include <ViewFraming.h>

#include <Korvex/Math/KxTransformMatrix.h>

#include <array>

namespace Korvex::App {

// What the camera keeps in view: the sphere it frames and the sphere its
// depth range holds (everything that may be drawn, undeformed).
struct ViewedSubject {
    Sphere framed;
    Sphere depth;
    double largestDisplacement = 0.0;  // of the displacement array; 0 without one
};

// The plan's drawn points framed; in depth, the grid's box and what is
// drawn, a little more for edges drawn just off the surface.
ViewedSubject SubjectOf(const ScenePlan& plan, const Fields::UniformField& field);

class ViewerCamera {
public:
    // Degrees the subject turns per pixel dragged.
    static constexpr double kDegreesPerPixel = 0.25;
    // Magnification per wheel step.
    static constexpr double kZoomPerStep = 1.25;

    ViewerCamera(const Rendering::ViewDirection& home, const CameraChoice& choice);

    // Home direction, no zoom or pan.
    void Reset();
    // A new direction, no zoom or pan.
    void LookAlong(const Rendering::ViewDirection& direction);
    // The subject turns with a drag of (dx, dy) pixels: right turns its
    // front to the right, down tips its top towards the viewer.
    void Orbit(double dx, double dy);
    // The picture moves with the cursor; sizes in pixels.
    void Pan(double dx, double dy, double width, double height);
    // steps > 0 magnifies, keeping the point under pixel (x, y) in place.
    void Zoom(double steps, double x, double y, double width, double height);

    const Rendering::ViewDirection& Direction() const { return direction_; }

    // The matrices that frame subject in region of a picture of width x
    // height, the depth range widened for a deformation factor.
    Rendering::ViewMatrices Matrices(const ViewedSubject& subject, double deformation,
                                     const Rendering::PictureRegion& region, double width, double height) const;

private:
    Rendering::ViewDirection home_;
    CameraChoice choice_;
    Rendering::ViewDirection direction_;
    double scale_ = 1.0;
    std::array<double, 2> offset_{0.0, 0.0};  // in clip space: -1 to 1 across the picture
};

}  // namespace Korvex::App
