#pragma once

// The command lines of korvex-render and korvex-view, parsed without side
// effects: the viewer takes the renderer's options for what it shows.

#include <ArrayChoice.h>
#include <UniformField.h>
#include <ViewFraming.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::App {

enum class ColorBarSide { Off, Right, Bottom };

enum class AppProgram { Render, View };

// --view's words, in the order of Rendering::ViewPreset.
inline constexpr const char* kViewPresetNames[] = {"+x", "-x", "+y", "-y", "+z", "-z", "iso"};

// Time steps A, A + S, ... below B, counted from 0.
struct StepSlice {
    std::size_t first = 0;
    std::size_t end = SIZE_MAX;
    std::size_t stride = 1;
};

struct RenderOptions {
    // Empty: the built-in demo. One file, or a .pvd collection, or several
    // files: a numbered series, a step each.
    std::vector<std::string> inputPaths;
    std::string outputPath;  // empty: DefaultOutputPath(inputPaths.front())
    std::optional<StepSlice> steps;  // empty: every step

    bool list = false;                   // describe the file instead of drawing it
    std::string scalars;                 // empty: the first array
    Fields::ComponentChoice component;   // empty: the value, or the magnitude of several components
    std::string vectors;                 // empty: the first array of 3 components, with --deform
    std::size_t maxSamples = Fields::kDefaultMaxSamples;
    std::size_t resolution = Fields::kDefaultMeshSamples;  // the lattice a grid of cells is resampled onto

    bool drawSurface = true;  // by default, unless slices or contours are asked for
    bool drawEdges = false;
    bool drawVoxels = false;
    std::vector<std::array<double, 4>> slices;  // planes A,B,C,D
    std::vector<float> contours;                // values of the isosurfaces
    std::string colorBy;                        // empty: the values of --scalars colour the picture
    std::string colorMap = "viridis";           // a name ColorMapTable knows
    bool logarithmic = false;                   // colours by log10 of the values
    std::optional<std::array<float, 2>> range;       // default: the data's
    std::optional<std::array<float, 2>> voxelRange;  // default: the upper half of the range
    std::vector<std::array<float, 4>> clipPlanes;    // unit normals, at most 8
    std::optional<float> deformation;                // empty: not deformed (unless deformAuto)
    bool deformAuto = false;                         // the factor AutoDeformationFactor chooses
    bool capping = true;
    bool wireframe = false;
    float alpha = 1.0f;
    std::optional<float> brightness;  // default: each mesh's own

    // Below and above the range: shown in these colours, and as the colour
    // bar's end caps; empty: in the colour map's end colours.
    std::optional<std::array<std::array<std::uint8_t, 4>, 2>> outOfRangeColors;
    ColorBarSide colorBar = ColorBarSide::Right;
    std::string title;
    std::array<float, 4> background{1.0f, 1.0f, 1.0f, 1.0f};  // alpha 0: transparent

    std::uint32_t width = 800;
    std::uint32_t height = 600;
    std::optional<Rendering::ViewPreset> view;
    std::optional<double> azimuth;    // degrees about the z axis, from the x axis (default -60)
    std::optional<double> elevation;  // degrees above the x-y plane (default 25)
    bool orthographic = false;
    double zoom = 1.0;                                  // 1: what is drawn fills the picture
    std::uint32_t turntableFrames = 0;                  // 0: one image
    std::optional<std::array<std::uint32_t, 2>> probe;  // pixel from the top left; default: the centre

    std::string script;  // korvex-view: input events to replay (see InputScript.h); empty: a person's
};

struct ParsedOptions {
    RenderOptions options;
    bool help = false;
    std::string error;  // one line naming the option at fault; empty when parsed
};

inline constexpr std::uint32_t kMaxImageSize = 8192;
inline constexpr std::uint32_t kMaxTurntableFrames = 3600;
inline constexpr std::size_t kMaxClipPlaneOptions = 8;
inline constexpr std::size_t kMaxSlices = 8;
inline constexpr std::size_t kMaxContours = 16;
inline constexpr std::size_t kMinSampleBudget = 1000;
inline constexpr std::size_t kMaxStep = 99999999;
inline constexpr std::size_t kMaxSampleBudget = std::size_t{1} << 33;

// args: the arguments after the program name. The viewer needs a data
// file and takes no --turntable; only the viewer takes --script.
ParsedOptions ParseOptions(std::span<const std::string_view> args, AppProgram program = AppProgram::Render);

// The usage text, by topic, every option the program takes with an example.
std::string HelpText(AppProgram program = AppProgram::Render);

// "out" for the demo (a directory), "out/<name>.png" for a data file, the
// step number left out of a numbered series' name: "out/beam.png" for
// beam_0001.vtu ...
std::string DefaultOutputPath(const std::vector<std::string>& inputPaths);

// The file of one turntable frame: "out/grid.png", frame 7 of 36 gives
// "out/grid-007.png".
std::string FramePath(const std::string& outputPath, std::uint32_t frame, std::uint32_t frameCount);

}  // namespace Korvex::App
