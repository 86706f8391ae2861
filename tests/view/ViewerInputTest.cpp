// Scripts replayed through the viewer's input: what each line makes the
// viewer do, and the lines a script may not contain.

#include <InputScript.h>
#include <ScriptPlayer.h>
#include <ViewerInput.h>

#include <gmock/gmock.h>

#include <sstream>

namespace Korvex::App::test {
namespace {

// Writes down every call as "what x,y".
class CallLog final : public ViewerControls {
public:
    std::vector<std::string> calls;

    void Orbit(double dx, double dy) override { Note("orbit", dx, dy); }
    void Pan(double dx, double dy) override { Note("pan", dx, dy); }
    void Zoom(double steps, double x, double y) override { Note("zoom " + Text(steps) + " at", x, y); }
    void MoveCut(double dx, double dy) override { Note("cut", dx, dy); }
    void PointAt(double x, double y) override { Note("point", x, y); }
    void Dragging(bool on) override { calls.push_back(on ? "drag on" : "drag off"); }
    void Run(ViewerCommand command, std::optional<Rendering::ViewPreset> preset) override {
        calls.push_back("run " + std::to_string(static_cast<int>(command)) +
                        (preset ? " preset " + std::to_string(static_cast<int>(*preset)) : ""));
    }

private:
    static std::string Text(double value) {
        std::ostringstream text;
        text << value;
        return text.str();
    }
    void Note(const std::string& what, double x, double y) { calls.push_back(what + " " + Text(x) + "," + Text(y)); }
};

std::string RunOf(ViewerCommand command) { return "run " + std::to_string(static_cast<int>(command)); }
std::string LookAlongOf(Rendering::ViewPreset preset) {
    return RunOf(ViewerCommand::LookAlong) + " preset " + std::to_string(static_cast<int>(preset));
}

TEST(ViewerInputTest, ScriptLinesReachTheControlsAsAPersonsEventsWould) {
    using enum ViewerCommand;
    struct Case {
        const char* name;
        const char* script;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {"left drag turns, step by step", "drag left 10 20 30 20 2",
         {"point 10,20", "drag on", "orbit 10,0", "point 20,20", "orbit 10,0", "point 30,20", "drag off"}},
        {"shift+left drag pans", "drag shift+left 0 0 4 -2 1",
         {"point 0,0", "drag on", "pan 4,-2", "point 4,-2", "drag off"}},
        {"middle drag pans", "drag middle 0 0 4 2 1", {"point 0,0", "drag on", "pan 4,2", "point 4,2", "drag off"}},
        {"right drag moves the cut", "drag right 0 0 0 -6 1",
         {"point 0,0", "drag on", "cut 0,-6", "point 0,-6", "drag off"}},
        {"ctrl+left drag moves the cut", "drag ctrl+left 0 0 3 0 1",
         {"point 0,0", "drag on", "cut 3,0", "point 3,0", "drag off"}},
        {"the wheel zooms at the cursor", "move 5 6\nscroll -2  # out", {"point 5,6", "zoom -2 at 5,6"}},
        {"keys, comments and blank lines", "# keys\nkey c\n\nkey h\nkey r\nkey a\nkey m\nkey f\nkey s\nkey q",
         {RunOf(ToggleCut), RunOf(ToggleHelp), RunOf(ResetView), RunOf(NextArray), RunOf(NextColorMap),
          RunOf(FitRange), RunOf(Screenshot), RunOf(Quit)}},
        {"+ and = deform more, - less", "key +\nkey =\nkey -",
         {RunOf(DeformMore), RunOf(DeformMore), RunOf(DeformLess)}},
        {"view keys: lower case +, upper case -", "key x\nkey Y\nkey z\nkey i",
         {LookAlongOf(Rendering::ViewPreset::PlusX), LookAlongOf(Rendering::ViewPreset::MinusY),
          LookAlongOf(Rendering::ViewPreset::PlusZ), LookAlongOf(Rendering::ViewPreset::Isometric)}},
        {"arrows step through time, escape quits", "key right\nkey left\nkey escape",
         {RunOf(NextStep), RunOf(PreviousStep), RunOf(Quit)}},
        {"keys bound to nothing do nothing", "key k\nkey 7", {}},
    };
    for (const Case& c : cases) {
        const ParsedScript script = ParseInputScript(c.script, "s.txt");
        ASSERT_EQ(script.error, "") << c.name;
        CallLog log;
        ViewerInput input(log);
        ScriptPlayer player(script.events);
        while (!player.Done()) player.Step(input, [](const std::string&) {});
        EXPECT_EQ(log.calls, c.calls) << c.name;
    }
}

TEST(ViewerInputTest, WaitsRunTheScriptsClockAFrameAtATimeAndScreenshotsNameTheirFile) {
    const ParsedScript script = ParseInputScript("wait 50\nscreenshot a.png\nscreenshot", "s.txt");
    CallLog log;
    ViewerInput input(log);
    ScriptPlayer player(script.events);
    std::vector<std::string> shots;
    int steps = 0;
    for (; !player.Done(); ++steps) player.Step(input, [&](const std::string& path) { shots.push_back(path); });
    EXPECT_DOUBLE_EQ(player.Now(), 0.05);
    EXPECT_EQ(steps, 1 + 3 + 2) << "the wait, its 3 frames of 1/60 s, then the screenshots";
    EXPECT_EQ(shots, (std::vector<std::string>{"a.png", ""}));
}

TEST(ViewerInputTest, OneDragAtATime) {
    CallLog log;
    ViewerInput input(log);
    input.Button(MouseButton::Left, true, {});
    input.Button(MouseButton::Right, true, {});   // ignored: a turn is under way
    input.Button(MouseButton::Right, false, {});  // not the dragging button
    input.CursorMoved(4, 0);
    input.Button(MouseButton::Left, false, {});
    EXPECT_EQ(log.calls, (std::vector<std::string>{"drag on", "orbit 4,0", "point 4,0", "drag off"}));
}

TEST(ViewerInputTest, ScriptErrorsNameTheLine) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {"jump 1", "s.txt:1: unknown command 'jump' (wait, move, drag, key, scroll, screenshot)"},
        {"\n# a comment\nwait soon", "s.txt:3: wait: 'soon' is not a number"},
        {"wait -1", "s.txt:1: wait: -1 is out of range (0 to 600000)"},
        {"drag left 1 2 3", "s.txt:1: expected 'drag BUTTON X0 Y0 X1 Y1 [STEPS]'"},
        {"drag alt+left 0 0 1 1", "s.txt:1: drag: unknown modifier 'alt' (shift, ctrl)"},
        {"drag up 0 0 1 1", "s.txt:1: drag: unknown button 'up' (left, middle, right)"},
        {"drag left 0 0 1 1 0", "s.txt:1: drag: 0 is out of range (1 to 1000)"},
        {"key enter", "s.txt:1: key: unknown key 'enter' (a character, left, right or escape)"},
        {"move 1", "s.txt:1: expected 'move X Y'"},
        {"screenshot a.png b.png", "s.txt:1: expected 'screenshot [PATH]'"},
    };
    for (const auto& [text, message] : cases) {
        const ParsedScript script = ParseInputScript(text, "s.txt");
        EXPECT_EQ(script.error, message);
        EXPECT_TRUE(script.events.empty()) << text;
    }
}

}  // namespace
}  // namespace Korvex::App::test
