#include "AppOptions.h"

#include "OptionValues.h"

#include <NamedColorMaps.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <set>

namespace Korvex::App {

namespace {

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
            FailOption(std::string(option) + ": unknown drawable " + Quote(name) + " (surface, edges, voxels)");
    }
}

void ReadSize(std::string_view option, std::string_view text, RenderOptions& options) {
    const auto parts = SplitInTwo(option, text, 'x', "WIDTHxHEIGHT such as 800x600");
    options.width = static_cast<std::uint32_t>(ReadWholeNumberIn(option, parts[0], 1, kMaxImageSize));
    options.height = static_cast<std::uint32_t>(ReadWholeNumberIn(option, parts[1], 1, kMaxImageSize));
}

std::string ReadName(std::string_view option, std::string_view text) {
    if (text.empty()) FailOption(std::string(option) + ": the name is empty");
    return std::string(text);
}

StepSlice ReadStepSlice(std::string_view option, std::string_view text) {
    const std::vector<std::string_view> parts = Split(text, ':');
    if (parts.size() != 2 && parts.size() != 3)
        FailOption(std::string(option) + ": expected A:B or A:B:S such as 0:100:10, found " + Quote(text));
    StepSlice slice{ReadWholeNumberIn(option, parts[0], 0, kMaxStep), ReadWholeNumberIn(option, parts[1], 0, kMaxStep),
                    parts.size() == 3 ? ReadWholeNumberIn(option, parts[2], 1, kMaxStep) : 1};
    if (slice.end <= slice.first)
        FailOption(std::string(option) + ": " + Quote(text) + " selects no step (B must be above A)");
    return slice;
}

using Reader = std::function<void(std::string_view option, std::string_view value, RenderOptions&)>;

// One option: its names, the word for its value (none for a flag), the topic
// it is listed under in --help, its help text, with an example, as it is
// printed beside the names, and how its value is read.
struct OptionDef {
    const char* names;
    const char* value;
    const char* topic;
    const char* help;
    Reader read;
    bool demoToo = false;  // also applies to the built-in demo
    std::optional<AppProgram> only = std::nullopt;  // empty: both programs take it
};

const std::vector<OptionDef>& OptionDefs() {
    static const std::vector<OptionDef> defs{
        {"--list", "", "What to read",
         "print the grid and every array (location, components,\n"
         "range) instead of drawing           e.g. --list",
         [](auto, auto, RenderOptions& o) { o.list = true; }},
        {"--scalars", "NAME", "What to read",
         "the array that colours the picture (default: the\n"
         "first)                              e.g. --scalars density",
         [](auto option, auto value, RenderOptions& o) { o.scalars = ReadName(option, value); }},
        {"--component", "N|magnitude", "What to read",
         "of an array of several components, component N (from\n"
         "0) or the magnitude (default)       e.g. --component 2",
         [](auto option, auto value, RenderOptions& o) {
             o.component = value == "magnitude" ? Fields::kMagnitude : ReadWholeNumberIn(option, value, 0, 1023);
         }},
        {"--vectors", "NAME", "What to read",
         "the array of 3 components --deform moves the points by\n"
         "(default: the first such array)     e.g. --vectors u --deform 10",
         [](auto option, auto value, RenderOptions& o) { o.vectors = ReadName(option, value); }},
        {"--max-samples", "N", "What to read",
         "grids larger than N samples, or of uneven spacing, are\n"
         "resampled onto a regular grid of at most N (default\n"
         "134217728, 1000 to 8589934592)      e.g. --max-samples 1000000",
         [](auto option, auto value, RenderOptions& o) {
             o.maxSamples = ReadWholeNumberIn(option, value, kMinSampleBudget, kMaxSampleBudget);
         }},
        {"--resolution", "N", "What to read",
         "samples of the regular grid a finite-element mesh's\n"
         "fields are resampled onto (default 16777216, 256^3;\n"
         "1000 to 8589934592, at most --max-samples)\n"
         "                                    e.g. --resolution 2000000",
         [](auto option, auto value, RenderOptions& o) {
             o.resolution = ReadWholeNumberIn(option, value, kMinSampleBudget, kMaxSampleBudget);
         }},
        {"--step", "N", "What to read",
         "of a time series (a .pvd, or several FILEs, in the\n"
         "order of the numbers in their names), only step N,\n"
         "from 0 (default: every step)        e.g. --step 12",
         [](auto option, auto value, RenderOptions& o) {
             const std::size_t step = ReadWholeNumberIn(option, value, 0, kMaxStep);
             o.steps = StepSlice{step, step + 1, 1};
         }},
        {"--steps", "A:B[:S]", "What to read",
         "steps A, A+S, ... below B (S 1 by default); images are\n"
         "numbered by step, coloured over the range of all steps\n"
         "and framed alike, so that jobs rendering slices of one\n"
         "series match                        e.g. --steps 0:100:10",
         [](auto option, auto value, RenderOptions& o) { o.steps = ReadStepSlice(option, value); }},
        {"--draw", "LIST", "What to draw",
         "any of surface, edges, voxels, comma-separated (default\n"
         "surface, none with --slice or --contour)\n"
         "                                    e.g. --draw surface,edges\n"
         "  surface  the grid's boundary surface coloured by the values\n"
         "  edges    the cell edges on that surface, as lines\n"
         "  voxels   the cells whose value lies in --voxel-range",
         ReadDrawables},
        {"--voxel-range", "MIN,MAX", "What to draw",
         "values of the cells drawn as voxels; a cell's value is\n"
         "its own, or the mean of its 8 corners for values at\n"
         "points (default: the upper half of --range)\n"
         "                                    e.g. --voxel-range 60,100",
         [](auto option, auto value, RenderOptions& o) { o.voxelRange = ReadRange(option, value, false); }},
        {"--wireframe", "", "What to draw", "outline the voxels' faces           e.g. --draw voxels --wireframe",
         [](auto, auto, RenderOptions& o) { o.wireframe = true; }},
        {"--slice", "PLANE", "What to draw",
         "the values on a plane through the grid: x=V, y=V, z=V\n"
         "or A,B,C,D for A*x + B*y + C*z + D = 0; up to 8 times\n"
         "                                    e.g. --slice z=0.5",
         [](auto option, auto value, RenderOptions& o) {
             if (o.slices.size() == kMaxSlices)
                 FailOption(std::string(option) + ": at most " + std::to_string(kMaxSlices) + " slices");
             o.slices.push_back(ReadPlane(option, value));
         }},
        {"--contour", "V,...", "What to draw",
         "the surfaces where the values equal V (isosurfaces),\n"
         "up to 16 values                     e.g. --contour 80,90",
         [](auto option, auto value, RenderOptions& o) {
             for (std::string_view part : Split(value, ',')) {
                 if (o.contours.size() == kMaxContours)
                     FailOption(std::string(option) + ": at most " + std::to_string(kMaxContours) + " values");
                 o.contours.push_back(static_cast<float>(ReadNumberIn(option, part, -1e30, 1e30)));
             }
         }},
        {"--colormap", "NAME", "Colours",
         "viridis, cividis, inferno, turbo, jet, coolwarm or\n"
         "gray; NAME_r reversed (default viridis)\n"
         "                                    e.g. --colormap coolwarm_r",
         [](auto option, auto value, RenderOptions& o) {
             if (!Rendering::ColorMapTable(value)) {
                 std::string names;
                 for (std::string_view name : Rendering::ColorMapNames())
                     names += (names.empty() ? "" : ", ") + std::string(name);
                 FailOption(std::string(option) + ": unknown colour map " + Quote(value) + " (" + names + ", NAME_r)");
             }
             o.colorMap = value;
         }},
        {"--color-by", "NAME", "Colours",
         "colour by this array instead of --scalars, which still\n"
         "gives the contours and voxels       e.g. --color-by pressure",
         [](auto option, auto value, RenderOptions& o) { o.colorBy = ReadName(option, value); }},
        {"--log", "", "Colours",
         "colours by log10 of the values, the range above 0\n"
         "                                    e.g. --log",
         [](auto, auto, RenderOptions& o) { o.logarithmic = true; }},
        {"--range", "MIN,MAX", "Colours",
         "values spread over the colour map, MIN below MAX\n"
         "(default: the data's range)         e.g. --range 20,80",
         [](auto option, auto value, RenderOptions& o) { o.range = ReadRange(option, value, true); }},
        {"--out-of-range", "BELOW,ABOVE", "Colours",
         "colours of the values below and above --range, shown\n"
         "as ends of the colour bar (default: the colour map's\n"
         "end colours)                        e.g. --out-of-range gray,#ff00ff",
         [](auto option, auto value, RenderOptions& o) {
             const auto parts = SplitInTwo(option, value, ',', "two colours such as gray,red");
             o.outOfRangeColors = {ReadColor(option, parts[0]), ReadColor(option, parts[1])};
         }},
        {"--colorbar", "off|right|bottom", "Colours",
         "where the colour bar goes (default right)\n"
         "                                    e.g. --colorbar bottom",
         [](auto option, auto value, RenderOptions& o) {
             if (value == "off")
                 o.colorBar = ColorBarSide::Off;
             else if (value == "right")
                 o.colorBar = ColorBarSide::Right;
             else if (value == "bottom")
                 o.colorBar = ColorBarSide::Bottom;
             else
                 FailOption(std::string(option) + ": expected off, right or bottom, found " + Quote(value));
         }},
        {"--alpha", "A", "Colours", "opacity, 0 to 1 (default 1)         e.g. --alpha 0.6",
         [](auto option, auto value, RenderOptions& o) {
             o.alpha = static_cast<float>(ReadNumberIn(option, value, 0.0, 1.0));
         }},
        {"--brightness", "B", "Colours",
         "share of full colour kept on faces seen edge-on, 0 to 1\n"
         "(default 0.5 on the surface, 0.75 on voxels)\n"
         "                                    e.g. --brightness 0.8",
         [](auto option, auto value, RenderOptions& o) {
             o.brightness = static_cast<float>(ReadNumberIn(option, value, 0.0, 1.0));
         }},
        {"--clip", "A,B,C,D", "Cutting and deforming",
         "keep the points where A*x + B*y + C*z + D >= 0; up to\n"
         "8 times (default: no cut)           e.g. --clip 0,-1,0,0.5",
         [](auto option, auto value, RenderOptions& o) {
             if (o.clipPlanes.size() == kMaxClipPlaneOptions)
                 FailOption(std::string(option) + ": at most " + std::to_string(kMaxClipPlaneOptions) + " planes");
             o.clipPlanes.push_back(ReadClipPlane(option, value));
         }},
        {"--capping", "on|off", "Cutting and deforming",
         "close the cuts through the surface (default on; a\n"
         "deformed surface is drawn without caps)\n"
         "                                    e.g. --capping off",
         [](auto option, auto value, RenderOptions& o) {
             if (value != "on" && value != "off")
                 FailOption(std::string(option) + ": expected on or off, found " + Quote(value));
             o.capping = value == "on";
         }},
        {"--deform", "FACTOR|auto", "Cutting and deforming",
         "move each point by FACTOR times its --vectors value;\n"
         "auto moves the largest a tenth of the box's diagonal\n"
         "and prints the factor (default: not moved)\n"
         "                                    e.g. --deform auto",
         [](auto option, auto value, RenderOptions& o) {
             o.deformAuto = value == "auto";
             if (!o.deformAuto) o.deformation = static_cast<float>(ReadNumberIn(option, value, -1e6, 1e6));
         }},
        {"--size", "WxH", "Camera and image",
         "image size in pixels, 1 to 8192 each (default 800x600)\n"
         "                                    e.g. --size 1024x768",
         ReadSize, true},
        {"--view", "AXIS", "Camera and image",
         "look along +x, -x, +y, -y, +z or -z, or iso (from\n"
         "1,-1,1) (default: --azimuth and --elevation; a flat\n"
         "grid face-on)                       e.g. --view -z",
         [](auto option, auto value, RenderOptions& o) {
             for (int preset = 0; preset < static_cast<int>(std::size(kViewPresetNames)); ++preset)
                 if (value == kViewPresetNames[preset]) {
                     o.view = static_cast<Rendering::ViewPreset>(preset);
                     return;
                 }
             FailOption(std::string(option) + ": expected +x, -x, +y, -y, +z, -z or iso, found " + Quote(value));
         }},
        {"--ortho", "", "Camera and image",
         "parallel projection: sizes do not shrink with depth\n"
         "                                    e.g. --ortho",
         [](auto, auto, RenderOptions& o) { o.orthographic = true; }},
        {"--azimuth", "DEG", "Camera and image",
         "camera angle about the z axis, from the x axis,\n"
         "-360 to 360 (default -60)           e.g. --azimuth 30",
         [](auto option, auto value, RenderOptions& o) { o.azimuth = ReadNumberIn(option, value, -360.0, 360.0); }},
        {"--elevation", "DEG", "Camera and image",
         "camera angle above the x-y plane, -89 to 89\n"
         "(default 25)                        e.g. --elevation 60",
         [](auto option, auto value, RenderOptions& o) { o.elevation = ReadNumberIn(option, value, -89.0, 89.0); }},
        {"--zoom", "Z", "Camera and image",
         "magnification, 0.01 to 100 (default 1: what is drawn\n"
         "fills the picture)                  e.g. --zoom 2",
         [](auto option, auto value, RenderOptions& o) { o.zoom = ReadNumberIn(option, value, 0.01, 100.0); }},
        {"--title", "TEXT", "Camera and image",
         "a title above the picture           e.g. --title Temperature",
         [](auto, auto value, RenderOptions& o) { o.title = value; }},
        {"--background", "COLOR", "Camera and image",
         "a colour name, #RRGGBB or transparent (default white)\n"
         "                                    e.g. --background black",
         [](auto option, auto value, RenderOptions& o) {
             if (value == "transparent") {
                 o.background[3] = 0.0f;
                 return;
             }
             const std::array<std::uint8_t, 4> color = ReadColor(option, value);
             for (std::size_t c = 0; c < 4; ++c) o.background[c] = color[c] / 255.0f;
         }},
        {"--turntable", "N", "Camera and image",
         "N images, the camera turning 360/N degrees about the\n"
         "z axis between them, 1 to 3600; shows progress\n"
         "                                    e.g. --turntable 36",
         [](auto option, auto value, RenderOptions& o) {
             o.turntableFrames = static_cast<std::uint32_t>(ReadWholeNumberIn(option, value, 1, kMaxTurntableFrames));
         }, false, AppProgram::Render},
        {"--probe", "X,Y", "Camera and image",
         "pixel whose value and depth are printed, from the top\n"
         "left (default: the centre of what the title and colour\n"
         "bar leave)                          e.g. --probe 10,20",
         [](auto option, auto value, RenderOptions& o) {
             const auto parts = SplitInTwo(option, value, ',', "X,Y such as 400,300");
             o.probe = {{static_cast<std::uint32_t>(ReadWholeNumberIn(option, parts[0], 0, kMaxImageSize - 1)),
                         static_cast<std::uint32_t>(ReadWholeNumberIn(option, parts[1], 0, kMaxImageSize - 1))}};
         }},
        {"-o,--output", "PATH", "Camera and image",
         "the PNG to write (default out/<FILE name>.png), numbered\n"
         "for each turntable frame or screenshot (out/grid-000.png,\n"
         "...); for the demo, the directory (default out)\n"
         "                                    e.g. -o images/beam.png",
         [](auto, auto value, RenderOptions& o) { o.outputPath = value; }, true},
        {"--script", "FILE", "Replaying input",
         "replay the mouse and key events of FILE, then quit; `s`\n"
         "and `screenshot` print the value under the cursor\n"
         "                                    e.g. --script turn-and-cut.txt",
         [](auto option, auto value, RenderOptions& o) { o.script = ReadName(option, value); }, false,
         AppProgram::View},
    };
    return defs;
}

std::string LongName(const OptionDef& def) {
    const std::string names = def.names;
    return names.substr(names.find("--"));
}

// Settings that only mean something together with others.
// .png in any case, as file managers write it.
bool IsPngPath(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".png";
}

void CheckCombinations(RenderOptions& options, const std::set<std::string>& given, AppProgram program) {
    if (options.inputPaths.empty() && program == AppProgram::View)
        FailOption("a data file is needed: korvex-view FILE [OPTIONS] (see --help)");
    if (options.inputPaths.empty())
        for (const OptionDef& def : OptionDefs())
            if (given.count(LongName(def)) != 0 && !def.demoToo)
                FailOption(LongName(def) + " needs a data file; the demo takes only --output and --size");
    const auto needs = [&](const char* option, bool drawn, const char* drawable) {
        if (given.count(option) != 0 && !drawn)
            FailOption(std::string(option) + " applies to " + drawable + ": add it to --draw");
    };
    needs("--voxel-range", options.drawVoxels, "voxels");
    needs("--wireframe", options.drawVoxels, "voxels");
    needs("--capping", options.drawSurface, "the surface");
    // Slices and contours are what the picture shows unless --draw adds more.
    if (given.count("--draw") == 0 && (!options.slices.empty() || !options.contours.empty()))
        options.drawSurface = false;
    const bool coloured =
        options.drawSurface || options.drawVoxels || !options.slices.empty() || !options.contours.empty();
    for (const char* option : {"--colormap", "--log", "--color-by", "--out-of-range"})
        needs(option, coloured, "the surface, voxels, slices and contours");
    if (given.count("--view") != 0 && (options.azimuth || options.elevation))
        FailOption("--view and --azimuth or --elevation both choose the direction: give one");
    if (options.logarithmic && options.range && !((*options.range)[0] > 0.0f))
        FailOption("--log: the range must lie above 0, found --range " + Format((*options.range)[0]) + "," +
                   Format((*options.range)[1]));
    if (given.count("--vectors") != 0 && !options.deformation && !options.deformAuto)
        FailOption("--vectors is the displacement of --deform: add --deform FACTOR");
    if (options.turntableFrames > 0 && options.steps && options.steps->end - options.steps->first > 1)
        FailOption("--turntable turns the camera about one time step: pick it with --step");
    if (options.probe && ((*options.probe)[0] >= options.width || (*options.probe)[1] >= options.height))
        FailOption("--probe: pixel " + std::to_string((*options.probe)[0]) + "," +
                   std::to_string((*options.probe)[1]) + " is outside the " + std::to_string(options.width) + "x" +
                   std::to_string(options.height) + " image");
    if (!options.inputPaths.empty() && !options.outputPath.empty() && !IsPngPath(options.outputPath))
        FailOption("--output: " + Quote(options.outputPath) + " must end in .png");
}

// What CLI11 leaves over: an option it does not know or a second file.
void RejectLeftOver(const std::vector<std::string>& leftOver) {
    if (leftOver.empty()) return;
    const std::string& first = leftOver.front();
    if (first.size() >= 2 && first[0] == '-')
        FailOption("unknown option " + Quote(first.substr(0, first.find('='))) + " (see --help)");
    FailOption("unexpected argument " + Quote(first));
}

bool Takes(const OptionDef& def, AppProgram program) { return !def.only || *def.only == program; }

void Parse(std::span<const std::string_view> args, RenderOptions& options, AppProgram program) {
    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    app.add_option("files", options.inputPaths);
    std::set<std::string> given;
    for (const OptionDef& def : OptionDefs()) {
        if (!Takes(def, program)) continue;
        const auto read = [&options, &given, &def](const std::string& value) {
            given.insert(LongName(def));
            def.read(LongName(def), value, options);
        };
        if (*def.value != '\0')
            app.add_option_function<std::string>(def.names, read)->trigger_on_parse();
        else
            app.add_flag_function(def.names, [read](std::int64_t) { read(""); })->trigger_on_parse();
    }
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& error) {
        const std::string message = error.what();
        FailOption(message.substr(0, message.find(':')) + " needs a value (see --help)");
    } catch (const CLI::ParseError& error) {
        FailOption(error.what());
    }
    RejectLeftOver(app.remaining());
    CheckCombinations(options, given, program);
}

}  // namespace

ParsedOptions ParseOptions(std::span<const std::string_view> args, AppProgram program) {
    ParsedOptions parsed;
    if (std::find(args.begin(), args.end(), "-h") != args.end() ||
        std::find(args.begin(), args.end(), "--help") != args.end()) {
        parsed.help = true;
        return parsed;
    }
    try {
        Parse(args, parsed.options, program);
    } catch (const OptionError& error) {
        parsed.error = error.message;
    }
    return parsed;
}

std::string DefaultOutputPath(const std::vector<std::string>& inputPaths) {
    if (inputPaths.empty()) return "out";
    std::string name = std::filesystem::path(inputPaths.front()).stem().string();
    if (inputPaths.size() > 1) {
        const std::size_t kept = name.find_last_not_of("0123456789_-.");
        if (kept != std::string::npos) name.erase(kept + 1);
    }
    return (std::filesystem::path("out") / name).string() + ".png";
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

namespace {

constexpr const char* kFileKinds = R"(
FILE is a VTK file: legacy .vtk (STRUCTURED_POINTS, RECTILINEAR_GRID,
STRUCTURED_GRID or UNSTRUCTURED_GRID, ASCII or BINARY) or XML .vti, .vtr,
.vts, .vtu, or a parallel .pvtu or .pvts with its pieces, with arrays of
values at points or at cells. Finite-element and curvilinear meshes are drawn
with their own outer surface, their fields resampled onto a regular grid (see
--resolution).)";

constexpr const char* kRenderIntro = R"(Usage: korvex-render [OPTIONS] [FILE...]

Renders simulation results to PNG images on the GPU,
headless (Mesa's llvmpipe stands in where there is no GPU).

With no FILE it renders the built-in demo, a heated and loaded steel block,
into the directory given by --output (default out) and prints what each image
shows. Only --output and --size apply to the demo.
)";

constexpr const char* kRenderSeries = R"( A .pvd collection, or several FILEs, is a time series: one
image per step, numbered, all coloured over one range and framed alike.
)";

constexpr const char* kRenderExamples = R"(
Examples:
  korvex-render                                   the demo images, in out/
  korvex-render flow.vti --list                   the grid and its arrays
  korvex-render flow.vti --scalars velocity --component magnitude --draw surface,edges
  korvex-render beam.vtk --vectors u --deform 20 --clip 1,0,0,-0.5
  korvex-render ct.vtk --draw voxels --voxel-range 80,100 --wireframe --colormap jet
  korvex-render ct.vti --slice z=40 --slice x=0.5 --colormap inferno --view iso
  korvex-render orbital.vti --contour 0.002,0.02 --color-by phase --colorbar bottom
  korvex-render density.vti --log --range 1e-3,10 --title "Density, t = 2 s" --ortho
  korvex-render beam.vtk --turntable 36 -o spin/beam.png
  korvex-render part.vtu --deform auto --clip 0,0,-1,0 --draw surface,edges
  korvex-render run.pvd --steps 0:50 -o frames/run.png     frames/run-000.png ...

Exit status: 0 when every image was written (or --list printed), 1 for bad
arguments or input or a picture with nothing in it, 2 when rendering or
writing failed.
)";

constexpr const char* kViewIntro = R"(Usage: korvex-view [OPTIONS] FILE...

Shows simulation results in a window, drawn as korvex-render draws them and
with the same options: turn them, cut them, read the values under the
cursor and save pictures (the keys are listed below and in the window with
h). Screenshots are written as --output with a number added (default
out/<FILE name>-000.png, -001.png ...).
)";

constexpr const char* kViewSeries = R"( A .pvd collection, or several FILEs, is a time series: the
left and right keys step through it, over the colour range of the first step.
)";

constexpr const char* kViewExamples = R"(
Examples:
  korvex-view flow.vti                            the first array on the outer surface
  korvex-view beam.vtk --vectors u --deform 20 --draw surface,edges
  korvex-view ct.vti --slice z=40 --colormap inferno
  korvex-view run.pvd --step 10                   the series from step 10
  korvex-view beam.vtk --script turn.txt -o shots/beam.png   replayed, for tests

Exit status: 0 when the window was closed (or the script ended), 1 for bad
arguments, input or script, 2 when no window or GPU context could be made
or a screenshot could not be written.
)";

}  // namespace

std::string HelpText(AppProgram program) {
    const bool view = program == AppProgram::View;
    std::string text = std::string(view ? kViewIntro : kRenderIntro) + kFileKinds + (view ? kViewSeries : kRenderSeries);
    constexpr std::size_t kNameColumn = 25;
    std::string topic;
    for (const OptionDef& def : OptionDefs()) {
        if (!Takes(def, program)) continue;
        if (def.topic != topic) {
            topic = def.topic;
            text += "\n" + topic + ":\n";
        }
        std::string names = def.names;
        if (names.find(',') != std::string::npos) names.insert(names.find(',') + 1, " ");
        std::string entry = "  " + names + (*def.value ? std::string(" ") + def.value : std::string());
        entry += entry.size() < kNameColumn - 1 ? std::string(kNameColumn - entry.size(), ' ')
                                                : "\n" + std::string(kNameColumn, ' ');
        for (char c : std::string(def.help))
            entry += c == '\n' ? "\n" + std::string(kNameColumn, ' ') : std::string(1, c);
        text += entry + "\n";
    }
    return text + "  -h, --help             this text\n" + (view ? kViewExamples : kRenderExamples);
}

}  // namespace Korvex::App
