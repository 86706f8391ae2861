#pragma once

// Cameras that look at what is drawn from a chosen direction and fill a
// part of the picture with it.

#include <Korvex/Math/KxTransformMatrix.h>

#include <span>

namespace Korvex::Rendering {

struct ViewDirection {
    KxVector3d forward;  // from the eye towards the subject
    KxVector3d up;       // the picture's up, projected; any vector not along forward
};

// The established viewers' axis views: PlusX looks along +x (from the -x
// side), z up; likewise for y; PlusZ and MinusZ have y up. Isometric looks
// at the origin from (1, -1, 1), z up.
enum class ViewPreset { PlusX, MinusX, PlusY, MinusY, PlusZ, MinusZ, Isometric };
ViewDirection ViewDirectionOf(ViewPreset preset);

struct ViewMatrices {
    KxTransformMatrix view;
    KxTransformMatrix projection;  // depth 0 at the near plane, 1 at the far plane
};

// A part of the picture, in pixels from its top left.
struct PictureRegion {
    double x = 0.0, y = 0.0, width = 1.0, height = 1.0;
};

struct Framing {
    bool orthographic = false;
    double fieldOfViewY = 0.5235987755982988;  // radians, 30 degrees; perspective only
    double margin = 0.05;                      // the subject spans 1 / (1 + 2 margin) of the region
    double zoom = 1.0;                         // above 1 magnifies about the region's centre
};

// Looks along direction at the points so that, seen through the camera,
// they fill region of a picture of pictureWidth x pictureHeight pixels with
// the margin around them, centred where perspective allows no better fit:
// exactly for the extreme points, not for a bounding sphere. The eye stays
// behind, and the near and far planes enclose, every point and every point
// of enclosed (geometry that is drawn in part but must reach the depth
// targets whole, as capping counts it). No points: the unit cube at the origin.
ViewMatrices FrameView(std::span<const KxVector3d> points, const ViewDirection& direction, const Framing& framing,
                       const PictureRegion& region, double pictureWidth, double pictureHeight,
                       std::span<const KxVector3d> enclosed = {});

}  // namespace Korvex::Rendering
