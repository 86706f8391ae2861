// korvex-render: renders a regular grid of simulation results to PNG files,
// or, with no data file, the built-in demo. See HelpText() for the options.

#include "AppOptions.h"
#include "DatasetListing.h"
#include "DemoScene.h"
#include "GpuScene.h"
#include "ImageRenderer.h"
#include "OrbitCamera.h"
#include "PngFile.h"
#include "ScenePlan.h"

#include <DatasetFile.h>

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace Korvex::App {
namespace {

constexpr int kBadInput = 1;
constexpr int kRenderFailed = 2;

int Complain(const std::string& message, int status) {
    std::cerr << "korvex-render: " << message << "\n";
    return status;
}

void Warn(const std::string& message) { std::cerr << "korvex-render: warning: " << message << "\n"; }

std::string Number(float value) {
    std::ostringstream text;
    text << std::setprecision(6) << value;
    return text.str();
}

std::string Reading(const ProbeReading& reading) {
    if (!reading.hit) return "nothing drawn";
    return Number(reading.value) + " (depth " + Number(reading.depth) + ")";
}

// Renders one image of the scene and writes it; mark draws a cross on the
// probed pixel. A picture with nothing in it is bad input, not a result.
int RenderImage(ImageRenderer& renderer, GpuScene& scene, const CameraMatrices& camera,
                std::array<std::uint32_t, 2> pixel, bool mark, const std::string& path, ProbeReading* reading,
                std::string* error) {
    if (!renderer.Render(scene, camera, pixel, reading, error)) return kRenderFailed;
    std::vector<std::uint8_t> image = renderer.ReadImage();
    if (ImageRenderer::IsBlank(image)) {
        *error = "nothing was drawn: everything is clipped away or outside the camera's view (see --clip, --zoom)";
        return kBadInput;
    }
    if (mark) MarkPixel(image, renderer.Width(), renderer.Height(), pixel[0], pixel[1]);
    return WritePngFile(path, renderer.Width(), renderer.Height(), image, error) ? 0 : kRenderFailed;
}

std::string Count(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string Describe(const ScenePlan& plan, const Fields::UniformField& field, const Layer& layer) {
    std::string text;
    switch (layer.kind) {
    case LayerKind::Surface:
        text = "surface";
        break;
    case LayerKind::Edges:
        text = "cell edges";
        break;
    case LayerKind::Voxels:
        text = Count(plan.voxels.size(), "voxel") + " from " + Number(plan.voxelRange[0]) + " to " +
               Number(plan.voxelRange[1]);
        break;
    }
    if (layer.deformation != 0.0f)
        text += ", displaced by " + Number(layer.deformation) + " x '" + field.vectorsName + "'";
    if (!layer.clipPlanes.empty()) text += ", " + Count(layer.clipPlanes.size(), "clip plane");
    return text;
}

int RunFile(const RenderOptions& options) {
    const Io::ReadResult read = Io::ReadDatasetFile(options.inputPath);
    if (!read.Ok()) return Complain(read.error, kBadInput);
    for (const std::string& warning : read.warnings) Warn(warning);
    if (options.list) {
        std::cout << ListDataset(read.dataset, options.inputPath);
        return 0;
    }
    const Fields::FieldResult made = FieldFromOptions(read.dataset, options);
    if (!made.error.empty()) return Complain(options.inputPath + ": " + made.error, kBadInput);
    const Fields::UniformField& field = made.field;
    const PlanResult planned = PlanFromOptions(field, options);
    if (!planned.error.empty()) return Complain(options.inputPath + ": " + planned.error, kBadInput);
    for (const std::string& note : made.notes) std::cout << options.inputPath << ": " << note << "\n";
    const ScenePlan& plan = planned.plan;

    std::string error;
    const std::unique_ptr<ImageRenderer> renderer = ImageRenderer::Create(options.width, options.height, &error);
    if (!renderer) return Complain(error, kRenderFailed);
    const std::unique_ptr<GpuScene> scene = GpuScene::Create(renderer->Gpu(), plan, field, &error);
    if (!scene) return Complain(options.inputPath + ": " + error, kRenderFailed);

    const std::string output = options.outputPath.empty() ? DefaultOutputPath(options.inputPath) : options.outputPath;
    const std::array<std::uint32_t, 2> pixel =
        options.probe.value_or(std::array<std::uint32_t, 2>{options.width / 2, options.height / 2});
    const std::uint32_t frames = std::max<std::uint32_t>(1, options.turntableFrames);
    const bool progressInPlace = isatty(STDERR_FILENO) != 0;
    ProbeReading reading;
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const double azimuth = options.azimuth + 360.0 * frame / frames;
        const CameraMatrices camera =
            OrbitCamera(plan.sceneBox, azimuth, options.elevation, options.zoom, renderer->Aspect());
        const std::string path = options.turntableFrames > 0 ? FramePath(output, frame, frames) : output;
        if (const int status = RenderImage(*renderer, *scene, camera, pixel, false, path, &reading, &error))
            return Complain(status == kBadInput ? options.inputPath + ": " + error : error, status);
        if (options.turntableFrames > 0)
            std::cerr << (progressInPlace ? "\r" : "") << "frame " << frame + 1 << "/" << frames << ": " << path
                      << (progressInPlace && frame + 1 < frames ? "" : "\n") << std::flush;
    }

    const auto& size = field.Samples().dimensions;
    std::string shows = field.scalarsLabel + " of " + options.inputPath + " (" + std::to_string(size[0]) + "x" +
                        std::to_string(size[1]) + "x" + std::to_string(size[2]) +
                        (field.location == Io::Location::Cells ? " cells" : "") + ", colours " +
                        Number(plan.valueRange[0]) + " to " + Number(plan.valueRange[1]) + "): ";
    for (std::size_t i = 0; i < plan.layers.size(); ++i)
        shows += (i > 0 ? "; " : "") + Describe(plan, field, plan.layers[i]);
    if (options.turntableFrames > 0)
        std::cout << FramePath(output, 0, frames) << " to " << FramePath(output, frames - 1, frames) << ": " << frames
                  << " turntable frames of " << shows << "\n";
    else
        std::cout << output << ": " << shows << "\n"
                  << "value at pixel " << pixel[0] << "," << pixel[1] << ": " << Reading(reading) << "\n";
    return 0;
}

int RunDemo(const RenderOptions& options) {
    const Fields::UniformField block = MakeDemoBlock();
    std::string error;
    const std::vector<DemoImage> images = DemoImages(block, &error);
    if (images.empty()) return Complain("demo: " + error, kRenderFailed);
    const std::unique_ptr<ImageRenderer> renderer = ImageRenderer::Create(options.width, options.height, &error);
    if (!renderer) return Complain(error, kRenderFailed);

    const std::filesystem::path directory(options.outputPath.empty() ? DefaultOutputPath("") : options.outputPath);
    std::cout << "Demo: a steel block 2 m x 0.6 m x 0.6 m clamped at x = 0, heated from a spot on its top face and "
                 "bent down by a load at its free end (temperature "
              << Number(images.front().plan.valueRange[0]) << " to " << Number(images.front().plan.valueRange[1])
              << " C).\n";
    for (const DemoImage& demo : images) {
        const std::unique_ptr<GpuScene> scene = GpuScene::Create(renderer->Gpu(), demo.plan, block, &error);
        if (!scene) return Complain("demo: " + error, kRenderFailed);
        const CameraMatrices camera =
            OrbitCamera(demo.plan.sceneBox, demo.azimuth, demo.elevation, demo.zoom, renderer->Aspect());
        const std::array<std::uint32_t, 2> centre{renderer->Width() / 2, renderer->Height() / 2};
        const std::string path = (directory / demo.fileName).string();
        ProbeReading reading;
        if (RenderImage(*renderer, *scene, camera, centre, demo.probeCentre, path, &reading, &error) != 0)
            return Complain("demo: " + error, kRenderFailed);
        std::cout << path << ": " << demo.caption << "\n";
        if (demo.probeCentre)
            std::cout << "  temperature under the image centre: "
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
        return parsed.options.inputPath.empty() ? RunDemo(parsed.options) : RunFile(parsed.options);
    } catch (const std::exception& failure) {
        return Complain(failure.what(), kRenderFailed);
    }
}
