#pragma once

// The viewer's own clip plane, added to those of --clip: across the axis
// nearest the view, through the middle of what is drawn, keeping the far
// side so that the cut (and its cap) faces the viewer; drags move it along
// its normal.

#include <SceneCamera.h>

#include <Korvex/Rendering/ClipPlane.h>

#include <cstddef>
#include <string>

namespace Korvex::App {

class ViewerCut {
public:
    void Place(const Rendering::ViewDirection& direction, const Sphere& subject);
    void Remove() { on_ = false; }
    bool On() const { return on_; }

    // A drag of dy pixels over a picture height pixels tall: the full
    // height moves the cut across the subject, upwards away from the viewer.
    void Move(double dy, double height);

    // Keeps a x + b y + c z + d >= 0.
    Rendering::ClipPlane Plane() const;
    // "x >= 0.5": the side kept.
    std::string Describe() const;

private:
    bool on_ = false;
    std::size_t axis_ = 0;
    double sign_ = 1.0;  // the normal along +axis or -axis
    double centre_ = 0.0;  // along the axis
    double reach_ = 1.0;   // the subject's radius
    double position_ = 0.0;  // where the plane crosses the axis
};

}  // namespace Korvex::App
