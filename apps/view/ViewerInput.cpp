#include "ViewerInput.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Korvex::App {

namespace {

using Rendering::ViewPreset;
using enum ViewerCommand;

// A key and what it does, as the help lists it.
struct KeyBinding {
    const char* keys;  // as typed: "c", "+", "left"
    ViewerCommand command;
    std::optional<ViewPreset> preset;
    const char* help;  // null: the second key of the row above
};

constexpr std::array<KeyBinding, 21> kBindings{{
    {"h", ToggleHelp, {}, "show or hide this help"},
    {"r", ResetView, {}, "reset the view"},
    {"x", LookAlong, ViewPreset::PlusX, "look along +x (X: along -x)"},
    {"X", LookAlong, ViewPreset::MinusX, nullptr},
    {"y", LookAlong, ViewPreset::PlusY, "look along +y (Y: along -y)"},
    {"Y", LookAlong, ViewPreset::MinusY, nullptr},
    {"z", LookAlong, ViewPreset::PlusZ, "look along +z (Z: along -z)"},
    {"Z", LookAlong, ViewPreset::MinusZ, nullptr},
    {"i", LookAlong, ViewPreset::Isometric, "isometric view"},
    {"c", ToggleCut, {}, "cut on or off: a plane through the middle, facing you"},
    {"a", NextArray, {}, "colour by the next array"},
    {"m", NextColorMap, {}, "next colour map"},
    {"f", FitRange, {}, "colour range from the values in view"},
    {"+", DeformMore, {}, "more deformation (-: less)"},
    {"=", DeformMore, {}, nullptr},
    {"-", DeformLess, {}, nullptr},
    {"right", NextStep, {}, "next time step (left: previous)"},
    {"left", PreviousStep, {}, nullptr},
    {"s", Screenshot, {}, "screenshot (PNG), printing the value under the cursor"},
    {"q", Quit, {}, "quit (Esc too)"},
    {"escape", Quit, {}, nullptr},
}};

constexpr const char* kMouseHelp[][2] = {
    {"left drag", "turn"},
    {"middle or shift+left drag", "pan"},
    {"wheel", "zoom at the cursor"},
    {"right or ctrl+left drag", "move the cut along its normal"},
};

void RunBinding(ViewerControls& controls, const char* keys) {
    const auto binding = std::find_if(kBindings.begin(), kBindings.end(),
                                      [&](const KeyBinding& b) { return std::strcmp(b.keys, keys) == 0; });
    if (binding != kBindings.end()) controls.Run(binding->command, binding->preset);
}

}  // namespace

std::vector<HelpRow> InputHelp() {
    std::vector<HelpRow> rows;
    for (const auto& [mouse, help] : kMouseHelp) rows.push_back({mouse, help});
    for (const KeyBinding& binding : kBindings)
        if (binding.help != nullptr) rows.push_back({binding.keys, binding.help});
    return rows;
}

void ViewerInput::CursorMoved(double x, double y) {
    const double dx = x - x_, dy = y - y_;
    x_ = x;
    y_ = y;
    switch (drag_) {
    case Drag::None:
        break;
    case Drag::Orbit:
        controls_.Orbit(dx, dy);
        break;
    case Drag::Pan:
        controls_.Pan(dx, dy);
        break;
    case Drag::Cut:
        controls_.MoveCut(dx, dy);
        break;
    }
    controls_.PointAt(x, y);
}

void ViewerInput::Button(MouseButton button, bool pressed, Modifiers modifiers) {
    if (!pressed) {
        if (drag_ == Drag::None || button != dragButton_) return;
        drag_ = Drag::None;
        controls_.Dragging(false);
        return;
    }
    if (drag_ != Drag::None) return;  // one drag at a time
    switch (button) {
    case MouseButton::Left:
        drag_ = modifiers.control ? Drag::Cut : modifiers.shift ? Drag::Pan : Drag::Orbit;
        break;
    case MouseButton::Middle:
        drag_ = Drag::Pan;
        break;
    case MouseButton::Right:
        drag_ = Drag::Cut;
        break;
    }
    dragButton_ = button;
    controls_.Dragging(true);
}

void ViewerInput::Scrolled(double steps) { controls_.Zoom(steps, x_, y_); }

void ViewerInput::Typed(char32_t character) {
    if (character < 0x21 || character > 0x7E) return;  // the bindings are printable ASCII
    const char keys[2] = {static_cast<char>(character), '\0'};
    RunBinding(controls_, keys);
}

void ViewerInput::Pressed(SpecialKey key) {
    RunBinding(controls_, key == SpecialKey::Left ? "left" : key == SpecialKey::Right ? "right" : "escape");
}

}  // namespace Korvex::App
