#include "InputScript.h"

#include <OptionValues.h>

#include <sstream>

namespace Korvex::App {

namespace {

using Kind = ScriptEvent::Kind;

// Pixels and waits beyond these are typing mistakes.
constexpr double kMaxPixel = 1e5;
constexpr double kMaxWait = 600000.0;
constexpr std::uint64_t kMaxDragSteps = 1000;
constexpr double kMaxScroll = 100.0;

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

void ExpectWords(const std::vector<std::string>& words, std::size_t low, std::size_t high, const char* form) {
    if (words.size() < low || words.size() > high) FailOption(std::string("expected '") + form + "'");
}

double Pixel(const std::string& command, const std::string& word) {
    return ReadNumberIn(command, word, -kMaxPixel, kMaxPixel);
}

void ReadButton(const std::string& word, ScriptEvent& press) {
    const std::size_t plus = word.find('+');
    const std::string modifier = plus == std::string::npos ? "" : word.substr(0, plus);
    const std::string name = plus == std::string::npos ? word : word.substr(plus + 1);
    if (modifier == "shift")
        press.modifiers.shift = true;
    else if (modifier == "ctrl")
        press.modifiers.control = true;
    else if (!modifier.empty())
        FailOption("drag: unknown modifier " + Quote(modifier) + " (shift, ctrl)");
    if (name == "left")
        press.button = MouseButton::Left;
    else if (name == "middle")
        press.button = MouseButton::Middle;
    else if (name == "right")
        press.button = MouseButton::Right;
    else
        FailOption("drag: unknown button " + Quote(name) + " (left, middle, right)");
}

void ReadDrag(const std::vector<std::string>& words, std::vector<ScriptEvent>& events) {
    ExpectWords(words, 6, 7, "drag BUTTON X0 Y0 X1 Y1 [STEPS]");
    ScriptEvent press;
    press.kind = Kind::Press;
    ReadButton(words[1], press);
    double x[2], y[2];
    for (int end = 0; end < 2; ++end) {
        x[end] = Pixel(words[0], words[2 + 2 * end]);
        y[end] = Pixel(words[0], words[3 + 2 * end]);
    }
    const std::uint64_t steps = words.size() == 7 ? ReadWholeNumberIn(words[0], words[6], 1, kMaxDragSteps) : 10;
    ScriptEvent move;
    move.kind = Kind::Move;
    move.x = press.x = x[0];
    move.y = press.y = y[0];
    events.push_back(move);
    events.push_back(press);
    for (std::uint64_t step = 1; step <= steps; ++step) {
        const double t = static_cast<double>(step) / static_cast<double>(steps);
        move.x = x[0] + t * (x[1] - x[0]);
        move.y = y[0] + t * (y[1] - y[0]);
        events.push_back(move);
    }
    ScriptEvent release;
    release.kind = Kind::Release;
    release.button = press.button;
    events.push_back(release);
}

ScriptEvent ReadKey(const std::vector<std::string>& words) {
    ExpectWords(words, 2, 2, "key K");
    ScriptEvent event;
    const std::string& key = words[1];
    if (key.size() == 1 && key[0] > ' ' && key[0] < 0x7F) {
        event.kind = Kind::Type;
        event.character = static_cast<char32_t>(key[0]);
        return event;
    }
    event.kind = Kind::Special;
    if (key == "left")
        event.special = SpecialKey::Left;
    else if (key == "right")
        event.special = SpecialKey::Right;
    else if (key == "escape")
        event.special = SpecialKey::Escape;
    else
        FailOption("key: unknown key " + Quote(key) + " (a character, left, right or escape)");
    return event;
}

void ReadLine(const std::vector<std::string>& words, std::vector<ScriptEvent>& events) {
    const std::string& command = words[0];
    ScriptEvent event;
    if (command == "wait") {
        ExpectWords(words, 2, 2, "wait MS");
        event.kind = Kind::Wait;
        event.milliseconds = ReadNumberIn(command, words[1], 0.0, kMaxWait);
    } else if (command == "move") {
        ExpectWords(words, 3, 3, "move X Y");
        event.kind = Kind::Move;
        event.x = Pixel(command, words[1]);
        event.y = Pixel(command, words[2]);
    } else if (command == "drag") {
        ReadDrag(words, events);
        return;
    } else if (command == "key") {
        event = ReadKey(words);
    } else if (command == "scroll") {
        ExpectWords(words, 2, 2, "scroll N");
        event.kind = Kind::Scroll;
        event.steps = ReadNumberIn(command, words[1], -kMaxScroll, kMaxScroll);
    } else if (command == "screenshot") {
        ExpectWords(words, 1, 2, "screenshot [PATH]");
        event.kind = Kind::Screenshot;
        if (words.size() == 2) event.path = words[1];
    } else {
        FailOption("unknown command " + Quote(command) + " (wait, move, drag, key, scroll, screenshot)");
    }
    events.push_back(event);
}

}  // namespace

ParsedScript ParseInputScript(std::string_view text, const std::string& name) {
    ParsedScript script;
    std::istringstream lines{std::string(text)};
    std::size_t number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        try {
            ReadLine(words, script.events);
        } catch (const OptionError& error) {
            script.events.clear();
            script.error = name + ":" + std::to_string(number) + ": " + error.message;
            return script;
        }
    }
    return script;
}

}  // namespace Korvex::App
