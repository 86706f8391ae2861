#include "ViewerCut.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace Korvex::App {

void ViewerCut::Place(const Rendering::ViewDirection& direction, const Sphere& subject) {
    const double forward[3] = {direction.forward.x, direction.forward.y, direction.forward.z};
    axis_ = 0;
    for (std::size_t a = 1; a < 3; ++a)
        if (std::abs(forward[a]) > std::abs(forward[axis_])) axis_ = a;
    sign_ = forward[axis_] < 0.0 ? -1.0 : 1.0;
    const double centre[3] = {subject.centre.x, subject.centre.y, subject.centre.z};
    centre_ = position_ = centre[axis_];
    reach_ = subject.radius > 0.0 ? subject.radius : 1.0;
    on_ = true;
}

void ViewerCut::Move(double dy, double height) {
    if (height <= 0.0) return;
    position_ = std::clamp(position_ - sign_ * 2.0 * reach_ * dy / height, centre_ - reach_, centre_ + reach_);
}

Rendering::ClipPlane ViewerCut::Plane() const {
    float normal[3] = {0.0f, 0.0f, 0.0f};
    normal[axis_] = static_cast<float>(sign_);
    return {normal[0], normal[1], normal[2], static_cast<float>(-sign_ * position_)};
}

std::string ViewerCut::Describe() const {
    std::ostringstream text;
    text.precision(4);
    text << static_cast<char>('x' + axis_) << (sign_ > 0.0 ? " >= " : " <= ") << position_;
    return text.str();
}

}  // namespace Korvex::App
