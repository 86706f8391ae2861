#include "ScriptPlayer.h"

#include <algorithm>

namespace Korvex::App {

void ScriptPlayer::Step(ViewerInput& input, const std::function<void(const std::string& path)>& screenshot) {
    if (waitLeft_ > 0.0) {
        const double step = std::min(waitLeft_, kFrameSeconds);
        now_ += step;
        // What rounding leaves of a wait is no frame.
        waitLeft_ = waitLeft_ - step < 1e-9 ? 0.0 : waitLeft_ - step;
        return;
    }
    if (next_ >= events_.size()) return;
    const ScriptEvent& event = events_[next_++];
    using Kind = ScriptEvent::Kind;
    switch (event.kind) {
    case Kind::Wait:
        waitLeft_ = event.milliseconds / 1000.0;
        break;
    case Kind::Move:
        input.CursorMoved(event.x, event.y);
        break;
    case Kind::Press:
        input.Button(event.button, true, event.modifiers);
        break;
    case Kind::Release:
        input.Button(event.button, false, {});
        break;
    case Kind::Type:
        input.Typed(event.character);
        break;
    case Kind::Special:
        input.Pressed(event.special);
        break;
    case Kind::Scroll:
        input.Scrolled(event.steps);
        break;
    case Kind::Screenshot:
        screenshot(event.path);
        break;
    }
}

}  // namespace Korvex::App
