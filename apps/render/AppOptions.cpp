#include "AppOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

namespace Korvex::App {

namespace {

struct OptionError {
    std::string message;
};

[[noreturn]] void Fail(std::string message) { throw OptionError{std::move(message)}; }

std::string Quote(std::string_view text) { return "'" + std::string(text) + "'"; }

// Shortest text that reads back as the value: "0.01", not "0.010000".
std::string Format(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

double ReadNumber(std::string_view option, std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        Fail(std::string(option) + ": " + Quote(text) + " is not a number");
    return value;
}

double ReadNumberIn(std::string_view option, std::string_view text, double low, double high) {
    const double value = ReadNumber(option, text);
    if (value < low || value > high)
        Fail(std::string(option) + ": " + std::string(text) + " is out of range (" + Format(low) + " to " +
             Format(high) + ")");
    return value;
}

std::uint32_t ReadWholeNumberIn(std::string_view option, std::string_view text, std::uint32_t low, std::uint32_t high) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size() ||
        (error != std::errc() && error != std::errc::result_out_of_range))
        Fail(std::string(option) + ": " + Quote(text) + " is not a whole number");
    if (error == std::errc::result_out_of_range || value < low || value > high)
        Fail(std::string(option) + ": " + std::string(text) + " is out of range (" + std::to_string(low) + " to " +
             std::to_string(high) + ")");
    return static_cast<std::uint32_t>(value);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

std::vector<double> ReadNumbers(std::string_view option, std::string_view text, std::size_t count,
                                const char* example) {
    const std::vector<std::string_view> parts = Split(text, ',');
    if (parts.size() != count)
        Fail(std::string(option) + ": expected " + std::to_string(count) + " numbers separated by commas, such as " +
             example + ", found " + Quote(text));
    std::vector<double> values;
    for (std::string_view part : parts) values.push_back(ReadNumber(option, part));
    return values;
}

// Options are converted to float for the GPU; the limits keep them finite there.
constexpr double kMaxValue = 1e30;

std::array<float, 2> ReadRange(std::string_view option, std::string_view text, bool strictlyIncreasing) {
    const std::vector<double> values = ReadNumbers(option, text, 2, "0,100");
    for (double value : values)
        if (std::fabs(value) > kMaxValue) Fail(std::string(option) + ": " + Format(value) + " is too large");
    if (strictlyIncreasing ? !(values[0] < values[1]) : !(values[0] <= values[1]))
        Fail(std::string(option) + ": MIN must be " + (strictlyIncreasing ? "below" : "at most") + " MAX, found " +
             Quote(text));
    return {static_cast<float>(values[0]), static_cast<float>(values[1])};
}

std::array<float, 4> ReadClipPlane(std::string_view option, std::string_view text) {
    const std::vector<double> values = ReadNumbers(option, text, 4, "0,-1,0,0.5");
    const double length = std::sqrt(values[0] * values[0] + values[1] * values[1] + values[2] * values[2]);
    if (!(length > 0.0) || !std::isfinite(length))
        Fail(std::string(option) + ": the normal A,B,C of " + Quote(text) + " must be non-zero and finite");
    if (std::fabs(values[3]) / length > kMaxValue)
        Fail(std::string(option) + ": D of " + Quote(text) + " is too large");
    // Caps are placed on the plane only for unit normals; scaling the four
    // numbers keeps the same half-space.
    return {static_cast<float>(values[0] / length), static_cast<float>(values[1] / length),
            static_cast<float>(values[2] / length), static_cast<float>(values[3] / length)};
}

void ReadDrawables(std::string_view option, std::string_view text, RenderOptions& options) {
    options.drawSurface = options.drawEdges = options.drawVoxels = false;
    for (std::string_view name : Split(text, ',')) {
        if (name == "surface")
            options.drawSurface = true;
        else if (name == "edges")
            options.drawEdges = true;
        else if (name == "voxels")
            options.drawVoxels = true;
        else
            Fail(std::string(option) + ": unknown drawable " + Quote(name) + " (surface, edges, voxels)");
    }
}

void ReadSize(std::string_view option, std::string_view text, RenderOptions& options) {
    const std::vector<std::string_view> parts = Split(text, 'x');
    if (parts.size() != 2) Fail(std::string(option) + ": expected WIDTHxHEIGHT such as 800x600, found " + Quote(text));
    options.width = ReadWholeNumberIn(option, parts[0], 1, kMaxImageSize);
    options.height = ReadWholeNumberIn(option, parts[1], 1, kMaxImageSize);
}

struct OptionRule {
    std::string_view name;
    std::string_view shortName;
    bool takesValue;
    bool demoToo;  // also applies to the built-in demo
    std::function<void(std::string_view option, std::string_view value, RenderOptions&)> read;
};

const std::vector<OptionRule>& Rules() {
    static const std::vector<OptionRule> rules{
        {"--draw", "", true, false, ReadDrawables},
        {"--voxel-range", "", true, false,
         [](auto option, auto value, RenderOptions& o) { o.voxelRange = ReadRange(option, value, false); }},
        {"--wireframe", "", false, false, [](auto, auto, RenderOptions& o) { o.wireframe = true; }},
        {"--colormap", "", true, false,
         [](auto option, auto value, RenderOptions& o) {
             if (value == "viridis")
                 o.colorMap = ColorMapName::Viridis;
             else if (value == "jet")
                 o.colorMap = ColorMapName::Jet;
             else
                 Fail(std::string(option) + ": unknown colour map " + Quote(value) + " (viridis, jet)");
         }},
        {"--range", "", true, false,
         [](auto option, auto value, RenderOptions& o) { o.range = ReadRange(option, value, true); }},
        {"--alpha", "", true, false,
         [](auto option, auto value, RenderOptions& o) {
             o.alpha = static_cast<float>(ReadNumberIn(option, value, 0.0, 1.0));
         }},
        {"--brightness", "", true, false,
         [](auto option, auto value, RenderOptions& o) {
             o.brightness = static_cast<float>(ReadNumberIn(option, value, 0.0, 1.0));
         }},
        {"--clip", "", true, false,
         [](auto option, auto value, RenderOptions& o) {
             if (o.clipPlanes.size() == kMaxClipPlaneOptions)
                 Fail(std::string(option) + ": at most " + std::to_string(kMaxClipPlaneOptions) + " planes");
             o.clipPlanes.push_back(ReadClipPlane(option, value));
         }},
        {"--capping", "", true, false,
         [](auto option, auto value, RenderOptions& o) {
             if (value != "on" && value != "off")
                 Fail(std::string(option) + ": expected on or off, found " + Quote(value));
             o.capping = value == "on";
         }},
        {"--deform", "", true, false,
         [](auto option, auto value, RenderOptions& o) {
             o.deformation = static_cast<float>(ReadNumberIn(option, value, -1e6, 1e6));
         }},
        {"--size", "", true, true, ReadSize},
        {"--azimuth", "", true, false,
         [](auto option, auto value, RenderOptions& o) { o.azimuth = ReadNumberIn(option, value, -360.0, 360.0); }},
        {"--elevation", "", true, false,
         [](auto option, auto value, RenderOptions& o) { o.elevation = ReadNumberIn(option, value, -89.0, 89.0); }},
        {"--zoom", "", true, false,
         [](auto option, auto value, RenderOptions& o) { o.zoom = ReadNumberIn(option, value, 0.01, 100.0); }},
        {"--turntable", "", true, false,
         [](auto option, auto value, RenderOptions& o) {
             o.turntableFrames = ReadWholeNumberIn(option, value, 1, kMaxTurntableFrames);
         }},
        {"--probe", "", true, false,
         [](auto option, auto value, RenderOptions& o) {
             const std::vector<std::string_view> parts = Split(value, ',');
             if (parts.size() != 2) Fail(std::string(option) + ": expected X,Y such as 400,300, found " + Quote(value));
             o.probe = {{ReadWholeNumberIn(option, parts[0], 0, kMaxImageSize - 1),
                         ReadWholeNumberIn(option, parts[1], 0, kMaxImageSize - 1)}};
         }},
        {"--output", "-o", true, true,
         [](auto option, auto value, RenderOptions& o) {
             if (value.empty()) Fail(std::string(option) + ": the path is empty");
             o.outputPath = value;
         }},
    };
    return rules;
}

const OptionRule* FindRule(std::string_view name) {
    for (const OptionRule& rule : Rules())
        if (name == rule.name || (!rule.shortName.empty() && name == rule.shortName)) return &rule;
    return nullptr;
}

// Settings that only mean something for one drawable.
void CheckCombinations(const RenderOptions& options, const std::set<std::string_view>& given) {
    const auto needs = [&](std::string_view option, bool drawn, const char* drawable) {
        if (given.count(option) != 0 && !drawn)
            Fail(std::string(option) + " applies to " + drawable + ": add it to --draw");
    };
    needs("--voxel-range", options.drawVoxels, "voxels");
    needs("--wireframe", options.drawVoxels, "voxels");
    needs("--capping", options.drawSurface, "the surface");
    needs("--colormap", options.drawSurface || options.drawVoxels, "the surface and voxels");
    if (options.probe && ((*options.probe)[0] >= options.width || (*options.probe)[1] >= options.height))
        Fail("--probe: pixel " + std::to_string((*options.probe)[0]) + "," + std::to_string((*options.probe)[1]) +
             " is outside the " + std::to_string(options.width) + "x" + std::to_string(options.height) + " image");
    if (!options.inputPath.empty() && !options.outputPath.empty() &&
        std::filesystem::path(options.outputPath).extension() != ".png")
        Fail("--output: " + Quote(options.outputPath) + " must end in .png");
}

}  // namespace

ParsedOptions ParseOptions(std::span<const std::string_view> args) {
    ParsedOptions parsed;
    std::set<std::string_view> given;
    if (std::find(args.begin(), args.end(), "-h") != args.end() ||
        std::find(args.begin(), args.end(), "--help") != args.end()) {
        parsed.help = true;
        return parsed;
    }
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string_view arg = args[i];
            if (arg.size() < 2 || arg[0] != '-') {
                if (!parsed.options.inputPath.empty())
                    Fail("unexpected argument " + Quote(arg) + ": one data file at most");
                parsed.options.inputPath = arg;
                continue;
            }
            // --name=value or --name value
            const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
            const std::string_view name = arg.substr(0, equals);
            const OptionRule* rule = FindRule(name);
            if (rule == nullptr) Fail("unknown option " + Quote(name) + " (see --help)");
            given.insert(rule->name);
            std::string_view value;
            if (rule->takesValue) {
                if (equals != std::string_view::npos)
                    value = arg.substr(equals + 1);
                else if (i + 1 < args.size())
                    value = args[++i];
                else
                    Fail(std::string(name) + " needs a value (see --help)");
            } else if (equals != std::string_view::npos) {
                Fail(std::string(name) + " takes no value");
            }
            rule->read(rule->name, value, parsed.options);
        }
        if (parsed.options.inputPath.empty())
            for (std::string_view option : given)
                if (!FindRule(option)->demoToo)
                    Fail(std::string(option) + " needs a data file; the demo takes only --output and --size");
        CheckCombinations(parsed.options, given);
    } catch (const OptionError& error) {
        parsed.error = error.message;
    }
    return parsed;
}

std::string DefaultOutputPath(const std::string& inputPath) {
    if (inputPath.empty()) return "out";
    return (std::filesystem::path("out") / std::filesystem::path(inputPath).stem()).string() + ".png";
}

std::string FramePath(const std::string& outputPath, std::uint32_t frame, std::uint32_t frameCount) {
    std::string number = std::to_string(frame);
    const std::size_t width = std::max<std::size_t>(3, std::to_string(frameCount - 1).size());
    if (number.size() < width) number.insert(0, width - number.size(), '0');
    std::filesystem::path path(outputPath);
    const std::string extension = path.extension().string();
    path.replace_extension();
    return path.string() + "-" + number + extension;
}

std::string HelpText() {
    return R"(Usage: korvex-render [OPTIONS] [FILE.vtk]

Renders a regular grid of simulation results to PNG images on the GPU,
headless (Mesa's llvmpipe stands in where there is no GPU).

With no FILE it renders the built-in demo, a heated and loaded steel block,
into the directory given by --output (default out) and prints what each image
shows. Only --output and --size apply to the demo.

FILE is a legacy VTK file: DATASET STRUCTURED_POINTS, POINT_DATA with one
SCALARS field (float or double) and optionally one VECTORS field (the
displacements), ASCII or BINARY, 1 to 2048 samples per axis.

What to draw:
  --draw LIST            any of surface, edges, voxels, comma-separated
                         (default surface)                   e.g. --draw surface,edges
                           surface  the grid's boundary surface coloured by the values
                           edges    the cell edges on that surface, as lines
                           voxels   the cells whose value lies in --voxel-range
  --voxel-range MIN,MAX  values of the cells drawn as voxels; a cell's value is
                         the mean of its 8 corners (default: the upper half of
                         --range)                            e.g. --voxel-range 60,100
  --wireframe            outline the voxels' faces           e.g. --draw voxels --wireframe

Colours:
  --colormap NAME        viridis or jet (default viridis)    e.g. --colormap jet
  --range MIN,MAX        values spread over the colour map, MIN below MAX
                         (default: the data's range)         e.g. --range 20,80
  --alpha A              opacity, 0 to 1 (default 1)         e.g. --alpha 0.6
  --brightness B         share of full colour kept on faces seen edge-on, 0 to 1
                         (default 0.5 on the surface, 0.75 on voxels)
                                                             e.g. --brightness 0.8

Cutting and deforming:
  --clip A,B,C,D         keep the points where A*x + B*y + C*z + D >= 0; up to
                         8 times (default: no cut)           e.g. --clip 0,-1,0,0.5
  --capping on|off       close the cuts through the surface (default on; a
                         deformed surface is drawn without caps)
                                                             e.g. --capping off
  --deform FACTOR        move each point by FACTOR times its VECTORS value
                         (default 1 with VECTORS, else 0)    e.g. --deform 20

Camera and image:
  --size WxH             image size in pixels, 1 to 8192 each (default 800x600)
                                                             e.g. --size 1024x768
  --azimuth DEG          camera angle about the z axis, from the x axis,
                         -360 to 360 (default -60)           e.g. --azimuth 30
  --elevation DEG        camera angle above the x-y plane, -89 to 89
                         (default 25)                        e.g. --elevation 60
  --zoom Z               magnification, 0.01 to 100 (default 1: the grid
                         fills the view)                     e.g. --zoom 2
  --turntable N          N images, the camera turning 360/N degrees about the
                         z axis between them, 1 to 3600; shows progress
                                                             e.g. --turntable 36
  --probe X,Y            pixel whose value and depth are printed, from the top
                         left (default: the centre)          e.g. --probe 10,20
  -o, --output PATH      the PNG to write (default out/<FILE name>.png); with
                         --turntable the frame number is added (out/grid-000.png,
                         ...); for the demo, the directory (default out)
                                                             e.g. -o images/beam.png
  -h, --help             this text

Examples:
  korvex-render                                   the demo images, in out/
  korvex-render beam.vtk --draw surface,edges --clip 1,0,0,-0.5 --deform 20
  korvex-render beam.vtk --draw voxels --voxel-range 80,100 --wireframe --colormap jet
  korvex-render beam.vtk --turntable 36 -o spin/beam.png

Exit status: 0 when every image was written, 1 for bad arguments or input,
2 when rendering or writing failed.
)";
}

}  // namespace Korvex::App
