#pragma once

#include "InputScript.h"
#include "ViewerInput.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace Korvex::App {

// Feeds a script's events to the input one at a time, on a clock of its
// own: waits advance it, so that animations run the same on any machine.
class ScriptPlayer {
public:
    // Between frames of an animation, as a display at 60 Hz would show it.
    static constexpr double kFrameSeconds = 1.0 / 60.0;

    explicit ScriptPlayer(std::vector<ScriptEvent> events) : events_(std::move(events)) {}

    bool Done() const { return next_ >= events_.size() && waitLeft_ <= 0.0; }
    // Seconds on the script's clock.
    double Now() const { return now_; }
    // Plays the next event, or a frame's time of a wait; screenshots go to
    // screenshot(path).
    void Step(ViewerInput& input, const std::function<void(const std::string& path)>& screenshot);

private:
    std::vector<ScriptEvent> events_;
    std::size_t next_ = 0;
    double now_ = 0.0;
    double waitLeft_ = 0.0;
};

}  // namespace Korvex::App
