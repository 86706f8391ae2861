// korvex-render: renders simulation results to PNG files, or, with no data
// file, the built-in demo. See HelpText() for the options.

#include "AppOptions.h"
#include "DatasetListing.h"
#include "DemoScene.h"
#include "DrawnPoints.h"
#include "DrawnSummary.h"
#include "GpuScene.h"
#include "ImageRenderer.h"
#include "PictureOverlay.h"
#include "PngFile.h"
#include "SceneCamera.h"
#include "ScenePlan.h"
#include "SeriesSettings.h"

#include <FontLocation.h>
#include <Series.h>

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>

namespace Korvex::App {
namespace {

constexpr int kBadInput = 1;
constexpr int kRenderFailed = 2;

int Complain(const std::string& message, int status) {
    std::cerr << "korvex-render: " << message << "\n";
    return status;
}

void Warn(const std::string& message) { std::cerr << "korvex-render: warning: " << message << "\n"; }

std::string Reading(const ProbeReading& reading) {
    if (!reading.hit) return "nothing drawn";
    // Logarithmic colours show values at or below 0 below the range.
    const std::string value = reading.value > 0.0f || !reading.logarithmic ? Number(reading.value) : "0 or below";
    return value + " (depth " + Number(reading.depth) + ")";
}

// One picture of a scene: how it is looked at and where it goes.
struct Shot {
    Rendering::ViewDirection direction;
    CameraChoice camera;
    bool steadyDistance = false;  // a turntable's frame
    Rendering::PictureRegion region;  // what the overlay leaves for the scene
    std::array<std::uint32_t, 2> pixel{};
    bool mark = false;  // a cross on the probed pixel
    std::string path;
};

// The overlay for pictures of the renderer's size, when one has text at
// all; *error when the font is missing.
std::unique_ptr<Rendering::Overlay> MakeOverlay(const ImageRenderer& renderer, const Rendering::OverlayDesc& desc,
                                                std::string* error) {
    if (desc.title.empty() && !desc.colorBar) return nullptr;
    const std::string font = Rendering::FindSansFont(error);
    if (font.empty()) return nullptr;
    return Rendering::Overlay::Create(font, static_cast<int>(renderer.Width()), static_cast<int>(renderer.Height()),
                                      error);
}

std::array<std::uint32_t, 2> CentreOf(const Rendering::PictureRegion& region) {
    return {static_cast<std::uint32_t>(region.x + region.width / 2),
            static_cast<std::uint32_t>(region.y + region.height / 2)};
}

// Frames what the plan draws in the shot's region, renders, adds the
// overlay and writes the picture. A picture with nothing in it is bad
// input, not a result.
int RenderImage(ImageRenderer& renderer, GpuScene& scene, const ScenePlan& plan, const Rendering::Overlay* overlay,
                const Rendering::OverlayDesc& desc, const Shot& shot, ProbeReading* reading, std::string* error) {
    const Rendering::ViewMatrices camera = FrameScene(plan, shot.direction, shot.camera, shot.region,
                                                      renderer.Width(), renderer.Height(), shot.steadyDistance);
    if (!renderer.Render(scene, camera, shot.pixel, reading, error)) return kRenderFailed;
    reading->value = DataValue(plan, reading->value);
    reading->logarithmic = plan.logarithmic;
    std::vector<std::uint8_t> image = renderer.ReadImage();
    if (renderer.IsBlank(image)) {
        *error = "nothing was drawn: everything is clipped away or outside the camera's view (see --clip, --zoom)";
        return kBadInput;
    }
    if (overlay != nullptr) overlay->Draw(image, desc);
    if (shot.mark) MarkPixel(image, renderer.Width(), renderer.Height(), shot.pixel[0], shot.pixel[1]);
    return WritePngFile(shot.path, renderer.Width(), renderer.Height(), image, error) ? 0 : kRenderFailed;
}

// "frame 3/36: out/grid-002.png", rewritten in place on a terminal.
void Progress(const char* what, std::size_t index, std::size_t count, const std::string& path) {
    const bool inPlace = isatty(STDERR_FILENO) != 0;
    std::cerr << (inPlace ? "\r" : "") << what << " " << index + 1 << "/" << count << ": " << path
              << (inPlace && index + 1 < count ? "\033[K" : "\n") << std::flush;
}

// What RenderDataset drew, for the summary line.
struct Drawn {
    std::string shows;  // "'f' of beam.vtu (...): surface; cell edges; view ..."
    std::array<std::uint32_t, 2> pixel{};
    ProbeReading reading;
};

// The images of one dataset: one, or a turntable's, framing what is drawn
// or else extent (a series' steps share its camera); notes about the data
// printed unless quiet.
int RenderDataset(std::unique_ptr<ImageRenderer>& renderer, const Io::Dataset& dataset, const std::string& name,
                  const RenderOptions& options, const std::optional<Rendering::boundingbox<double, 3>>& extent,
                  const std::string& output, bool quiet, Drawn& drawn) {
    PlannedScene planned = PlanScene(dataset, options);
    if (!planned.error.empty()) return Complain(name + ": " + planned.error, kBadInput);
    const Fields::UniformField& field = planned.made.field;
    const Fields::UniformField& colorField = planned.ColorField();
    if (!quiet)
        for (const std::string& note : planned.made.notes) std::cout << name << ": " << note << "\n";
    if (extent) FrameExtent(planned.plan, *extent);
    const ScenePlan& plan = planned.plan;

    std::string error;
    if (!renderer) renderer = ImageRenderer::Create(options.width, options.height, options.background, &error);
    if (!renderer) return Complain(error, kRenderFailed);
    const std::unique_ptr<GpuScene> scene = GpuScene::Create(renderer->Gpu(), plan, colorField, &error);
    if (!scene) return Complain(name + ": " + error, kRenderFailed);
    const Rendering::OverlayDesc overlayDesc =
        PictureOverlay(plan, {options.title, colorField.scalarsLabel, options.colorBar, options.background});
    const std::unique_ptr<Rendering::Overlay> overlay = MakeOverlay(*renderer, overlayDesc, &error);
    if (!error.empty()) return Complain(error, kRenderFailed);

    const CameraChoice camera{options.view, options.azimuth, options.elevation, options.orthographic, options.zoom};
    Shot shot;
    shot.camera = camera;
    shot.steadyDistance = options.turntableFrames > 0;
    shot.region = SceneRegion(overlay.get(), overlayDesc, renderer->Width(), renderer->Height());
    shot.pixel = options.probe.value_or(CentreOf(shot.region));
    drawn.pixel = shot.pixel;
    const std::uint32_t frames = std::max<std::uint32_t>(1, options.turntableFrames);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        shot.direction = ViewDirectionFor(camera, plan.layout, 360.0 * frame / frames);
        shot.path = options.turntableFrames > 0 ? FramePath(output, frame, frames) : output;
        if (const int status =
                RenderImage(*renderer, *scene, plan, overlay.get(), overlayDesc, shot, &drawn.reading, &error))
            return Complain(status == kBadInput ? name + ": " + error : error, status);
        if (options.turntableFrames > 0) Progress("frame", frame, frames, shot.path);
    }

    const bool colorBar = overlay && overlay->Layout(overlayDesc).colorBar;
    drawn.shows =
        DrawnSummary(plan, field, options.colorBy.empty() ? "" : colorField.scalarsLabel, name, options, colorBar);
    return 0;
}

// The steps of a series the options select; one file is a series of one.
int RunFile(const RenderOptions& options) {
    const Io::Series series = Io::OpenSeries(options.inputPaths);
    if (!series.error.empty()) return Complain(series.error, kBadInput);
    const std::size_t count = series.steps.size();
    const std::vector<std::size_t> steps = SelectedSteps(count, options.steps);
    if (steps.empty())
        return Complain(options.inputPaths.front() + ": --step or --steps selects none of its " +
                            std::to_string(count) + " time steps",
                        kBadInput);
    const auto nameOf = [&](std::size_t step) { return series.steps[step].files.front(); };
    const bool isSeries = count > 1;
    // Every step, not only those drawn here, so that slices rendered apart
    // match: colours, deformation and camera. With the range and factor
    // given, only the camera is left: it frames the first step.
    const bool scan = isSeries && !options.list && (!options.range || options.deformAuto);
    const std::size_t scanned = scan ? count : isSeries && !options.list ? 1 : 0;
    const auto read = [&](std::size_t step, Io::ReadResult& result, bool warn) {
        result = Io::ReadStep(series.steps[step]);
        if (!result.Ok()) return Complain(result.error, kBadInput);
        if (warn)
            for (const std::string& warning : result.warnings) Warn(warning);
        return 0;
    };
    SeriesSettings settings(options);
    Io::ReadResult step;
    for (std::size_t i = 0; i < scanned; ++i) {
        if (scan) Progress("reading step", i, count, nameOf(i));
        if (const int status = read(i, step, scan)) return status;
        if (const std::string error = settings.Add(step.dataset); !error.empty())
            return Complain(nameOf(i) + ": " + error, kBadInput);
    }

    const std::string output =
        options.outputPath.empty() ? DefaultOutputPath(options.inputPaths) : options.outputPath;
    std::unique_ptr<ImageRenderer> renderer;
    Drawn drawn;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        if (const int status = read(steps[k], step, !scan)) return status;
        if (options.list) {
            std::cout << ListDataset(step.dataset, nameOf(steps[k]));
            if (isSeries) std::cout << "  one of " << count << " time steps\n";
            return 0;
        }
        if (!isSeries)
            if (const std::string error = settings.Add(step.dataset); !error.empty())
                return Complain(nameOf(steps[k]) + ": " + error, kBadInput);
        if (k == 0 && settings.AutoDeformation())
            std::cout << options.inputPaths.front() << ": --deform auto: factor " << Number(*settings.AutoDeformation())
                      << " (the largest displacement moves a tenth of the box's diagonal)\n";
        const std::string path = isSeries ? FramePath(output, static_cast<std::uint32_t>(steps[k]),
                                                      static_cast<std::uint32_t>(count))
                                          : output;
        if (const int status = RenderDataset(renderer, step.dataset, nameOf(steps[k]), settings.StepOptions(),
                                             isSeries ? settings.Extent() : std::nullopt, path, k > 0, drawn))
            return status;
        if (isSeries) Progress("step", k, steps.size(), path);
    }

    const std::uint32_t frames = options.turntableFrames;
    if (isSeries)
        std::cout << FramePath(output, static_cast<std::uint32_t>(steps.front()), static_cast<std::uint32_t>(count))
                  << " to "
                  << FramePath(output, static_cast<std::uint32_t>(steps.back()), static_cast<std::uint32_t>(count))
                  << ": " << steps.size() << " of " << count << " time steps; the last, " << drawn.shows << "\n";
    else if (frames > 0)
        std::cout << FramePath(output, 0, frames) << " to " << FramePath(output, frames - 1, frames) << ": " << frames
                  << " turntable frames of " << drawn.shows << "\n";
    else
        std::cout << output << ": " << drawn.shows << "\n"
                  << "value at pixel " << drawn.pixel[0] << "," << drawn.pixel[1] << ": " << Reading(drawn.reading)
                  << "\n";
    return 0;
}

int RunDemo(const RenderOptions& options) {
    const Fields::UniformField block = MakeDemoBlock();
    std::string error;
    const std::vector<DemoImage> images = DemoImages(block, &error);
    if (images.empty()) return Complain("demo: " + error, kRenderFailed);
    const std::unique_ptr<ImageRenderer> renderer =
        ImageRenderer::Create(options.width, options.height, {1.0f, 1.0f, 1.0f, 1.0f}, &error);
    if (!renderer) return Complain(error, kRenderFailed);
    std::unique_ptr<Rendering::Overlay> overlay;

    const std::filesystem::path directory(options.outputPath.empty() ? DefaultOutputPath({}) : options.outputPath);
    std::cout << "Demo: a steel block 2 m x 0.6 m x 0.6 m clamped at x = 0, heated from a spot on its top face and "
                 "bent down by a load at its free end (temperature "
              << Number(images.front().plan.valueRange[0]) << " to " << Number(images.front().plan.valueRange[1])
              << " C).\n";
    for (const DemoImage& demo : images) {
        const std::unique_ptr<GpuScene> scene = GpuScene::Create(renderer->Gpu(), demo.plan, block, &error);
        if (!scene) return Complain("demo: " + error, kRenderFailed);
        const Rendering::OverlayDesc overlayDesc = PictureOverlay(demo.plan, {demo.title, block.scalarsLabel});
        if (!overlay) overlay = MakeOverlay(*renderer, overlayDesc, &error);
        if (!overlay) return Complain("demo: " + error, kRenderFailed);
        Shot shot;
        shot.camera = demo.camera;
        shot.direction = ViewDirectionFor(demo.camera, demo.plan.layout);
        shot.region = SceneRegion(overlay.get(), overlayDesc, renderer->Width(), renderer->Height());
        shot.pixel = CentreOf(shot.region);
        shot.mark = demo.probeCentre;
        shot.path = (directory / demo.fileName).string();
        ProbeReading reading;
        if (RenderImage(*renderer, *scene, demo.plan, overlay.get(), overlayDesc, shot, &reading, &error) != 0)
            return Complain("demo: " + error, kRenderFailed);
        std::cout << shot.path << ": " << demo.caption << "\n";
        if (demo.probeCentre)
            std::cout << "  temperature at the cross: "
                      << (reading.hit ? Number(reading.value) + " C (depth " + Number(reading.depth) + ")"
                                      : std::string("nothing drawn"))
                      << "\n";
    }
    return 0;
}

}  // namespace
}  // namespace Korvex::App

int main(int argc, char** argv) {
    using namespace Korvex::App;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseOptions(args);
    if (parsed.help) {
        std::cout << HelpText();
        return 0;
    }
    if (!parsed.error.empty()) return Complain(parsed.error, kBadInput);
    try {
        return parsed.options.inputPaths.empty() ? RunDemo(parsed.options) : RunFile(parsed.options);
    } catch (const std::exception& failure) {
        return Complain(failure.what(), kRenderFailed);
    }
}
