#pragma once

// From mouse and key events to what the viewer does: one state machine for
// a person's events and a script's alike.

#include <ViewFraming.h>

#include <optional>
#include <string>
#include <vector>

namespace Korvex::App {

enum class MouseButton { Left, Middle, Right };

struct Modifiers {
    bool shift = false;
    bool control = false;
};

// Keys that type no character.
enum class SpecialKey { Left, Right, Escape };

enum class ViewerCommand {
    ToggleHelp,
    ResetView,
    LookAlong,  // with the key's preset
    ToggleCut,
    NextArray,
    NextColorMap,
    FitRange,
    DeformMore,
    DeformLess,
    PreviousStep,
    NextStep,
    Screenshot,
    Quit,
};

// What the viewer does; positions are pixels from the picture's top left.
class ViewerControls {
public:
    virtual ~ViewerControls() = default;
    virtual void Orbit(double dx, double dy) = 0;
    virtual void Pan(double dx, double dy) = 0;
    virtual void Zoom(double steps, double x, double y) = 0;
    virtual void MoveCut(double dx, double dy) = 0;
    virtual void PointAt(double x, double y) = 0;
    // A drag began (true) or ended (false): the frame rate is shown meanwhile.
    virtual void Dragging(bool on) = 0;
    virtual void Run(ViewerCommand command, std::optional<Rendering::ViewPreset> preset) = 0;
};

struct HelpRow {
    std::string keys;
    std::string does;
};
// The mouse, then the keys.
std::vector<HelpRow> InputHelp();

class ViewerInput {
public:
    explicit ViewerInput(ViewerControls& controls) : controls_(controls) {}

    void CursorMoved(double x, double y);
    void Button(MouseButton button, bool pressed, Modifiers modifiers);
    void Scrolled(double steps);
    // A typed character (Unicode code point).
    void Typed(char32_t character);
    void Pressed(SpecialKey key);

private:
    enum class Drag { None, Orbit, Pan, Cut };

    ViewerControls& controls_;
    double x_ = 0.0, y_ = 0.0;
    Drag drag_ = Drag::None;
    MouseButton dragButton_ = MouseButton::Left;
};

}  // namespace Korvex::App
