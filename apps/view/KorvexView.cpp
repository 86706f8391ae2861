// korvex-view: shows a regular grid of simulation results in a window, drawn
// by the same frame as korvex-render, and lets a person (or a --script)
// turn, cut and probe it. See HelpText(AppProgram::View) and InputHelp().

#include "DatasetSteps.h"
#include "ScriptPlayer.h"
#include "ViewedData.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"

#include <AppOptions.h>
#include <DatasetListing.h>

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

namespace Korvex::App {
namespace {

constexpr int kBadInput = 1;
constexpr int kNoWindow = 2;

int Complain(const std::string& message, int status) {
    std::cerr << "korvex-view: " << message << "\n";
    return status;
}

std::string Help() {
    std::string text = HelpText(AppProgram::View) + "\nIn the window:\n";
    constexpr std::size_t kColumn = 30;
    for (const HelpRow& row : InputHelp())
        text += "  " + row.keys + std::string(kColumn - std::min(row.keys.size(), kColumn - 1), ' ') + row.does + "\n";
    return text;
}

// Draws what changed and shows it, timing both for the frame rate.
bool ShowFrame(ViewerWindow& window, ViewerSession& session, std::string* error) {
    const double start = Seconds();
    if (!session.DrawFrame(error)) return false;
    window.Present();
    session.FrameTook(Seconds() - start);
    return true;
}

// Follows the window's size and exposure; true while it stays open.
bool Prepare(ViewerWindow& window, ViewerSession& session, std::string* error) {
    const std::array<std::uint32_t, 2> size = window.FramebufferSize();
    if (!session.Resize(size[0], size[1], error)) return false;
    if (window.TakeExposed()) session.Invalidate();
    return true;
}

int RunPerson(ViewerWindow& window, ViewerSession& session, ViewerInput& input) {
    window.SetInput(&input);
    std::string error;
    while (!window.CloseRequested() && !session.QuitRequested()) {
        const bool animating = session.Advance(Seconds());
        if (!Prepare(window, session, &error)) return Complain(error, kNoWindow);
        if (session.NeedsFrame() && !ShowFrame(window, session, &error)) return Complain(error, kNoWindow);
        // Asleep until something happens, unless an animation runs.
        window.HandleEvents(animating ? std::optional<double>(ScriptPlayer::kFrameSeconds) : std::nullopt);
    }
    return 0;
}

int RunScript(ViewerWindow& window, ViewerSession& session, ViewerInput& input, ScriptPlayer& player) {
    session.ReportDrags();
    const auto screenshot = [&](const std::string& path) { session.RequestScreenshot(path); };
    std::string error;
    while (!player.Done() && !window.CloseRequested() && !session.QuitRequested()) {
        player.Step(input, screenshot);
        session.Advance(player.Now());
        if (!Prepare(window, session, &error)) return Complain(error, kNoWindow);
        if (session.NeedsFrame() && !ShowFrame(window, session, &error)) return Complain(error, kNoWindow);
        window.HandleEvents(0.0);
    }
    return 0;
}

int Run(const RenderOptions& options) {
    std::optional<ScriptPlayer> player;
    if (!options.script.empty()) {
        std::ifstream file(options.script, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        if (!file) return Complain(options.script + ": cannot be read", kBadInput);
        ParsedScript script = ParseInputScript(text.str(), options.script);
        if (!script.error.empty()) return Complain(script.error, kBadInput);
        player.emplace(std::move(script.events));
    }
    std::string error;
    std::unique_ptr<DatasetSteps> steps = OpenSteps(options.inputPaths, options.steps, &error);
    if (!steps) return Complain(error, kBadInput);
    if (options.list) {
        const Io::ReadResult read = steps->Read(0);
        if (!read.Ok()) return Complain(read.error, kBadInput);
        std::cout << ListDataset(read.dataset, steps->Name(0));
        return 0;
    }
    std::unique_ptr<ViewedData> data = ViewedData::Open(options, std::move(steps), &error);
    if (!data) return Complain(error, kBadInput);
    for (const std::string& note : data->Notes()) std::cerr << "korvex-view: " << note << "\n";

    // The device works on the window's context: the window goes last.
    const std::unique_ptr<ViewerWindow> window =
        ViewerWindow::Create(options.width, options.height, "korvex-view: " + options.inputPaths.front(), &error);
    if (!window) return Complain(error, kNoWindow);
    std::unique_ptr<Rendering::GlDevice> device =
        Rendering::GlDevice::CreateOnCurrentContext("window (" + window->ContextApi() + ")", &error);
    if (!device) return Complain(error, kNoWindow);
    // What drew a scripted run's pictures, for whoever reads its log.
    if (player) std::cout << "window: OpenGL through " << window->ContextApi() << ", " << device->Renderer() << "\n";
    const std::array<std::uint32_t, 2> size = window->FramebufferSize();
    std::unique_ptr<ViewerSession> session = ViewerSession::Create(*device, std::move(data), size[0], size[1], &error);
    if (!session) return Complain(error, kNoWindow);
    ViewerInput input(*session);
    const int status = player ? RunScript(*window, *session, input, *player) : RunPerson(*window, *session, input);
    session.reset();
    device.reset();
    return status;
}

}  // namespace
}  // namespace Korvex::App

int main(int argc, char** argv) {
    using namespace Korvex::App;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseOptions(args, AppProgram::View);
    if (parsed.help) {
        std::cout << Help();
        return 0;
    }
    if (!parsed.error.empty()) return Complain(parsed.error, kBadInput);
    try {
        return Run(parsed.options);
    } catch (const std::exception& failure) {
        return Complain(failure.what(), kNoWindow);
    }
}
