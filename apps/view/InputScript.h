#pragma once

// Timed input events for korvex-view --script, one a line:
//   wait MS                          let MS milliseconds pass (animations run)
//   move X Y                         the cursor to pixel (X, Y) from the top left
//   drag BUTTON X0 Y0 X1 Y1 [STEPS]  press at (X0, Y0), move in STEPS steps
//                                    (default 10), release; BUTTON is left,
//                                    middle or right, or shift+left, ctrl+left
//   key K                            K: a character (c, +, X) or left, right, escape
//   scroll N                         N wheel steps at the cursor, > 0 zooms in
//   screenshot [PATH]                as the s key, to PATH if given
// '#' starts a comment; blank lines are skipped.

#include "ViewerInput.h"

#include <string>
#include <string_view>
#include <vector>

namespace Korvex::App {

struct ScriptEvent {
    enum class Kind { Wait, Move, Press, Release, Type, Special, Scroll, Screenshot };
    Kind kind = Kind::Wait;
    double milliseconds = 0.0;    // Wait
    double x = 0.0, y = 0.0;      // Move, Press
    MouseButton button = MouseButton::Left;  // Press, Release
    Modifiers modifiers;          // Press
    char32_t character = 0;       // Type
    SpecialKey special = SpecialKey::Escape;
    double steps = 0.0;           // Scroll
    std::string path;             // Screenshot; empty: the next numbered file
};

struct ParsedScript {
    std::vector<ScriptEvent> events;  // a drag as its press, moves and release
    std::string error;                // "NAME:LINE: what is wrong"; empty when parsed
};

// name: the file's name, for messages.
ParsedScript ParseInputScript(std::string_view text, const std::string& name);

}  // namespace Korvex::App
