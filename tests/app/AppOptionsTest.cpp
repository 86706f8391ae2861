#include <AppOptions.h>

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <tuple>

namespace Korvex::App {
namespace {

ParsedOptions Parse(std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> list(args);
    return ParseOptions(list);
}

RenderOptions ParseOk(std::initializer_list<std::string_view> args) {
    ParsedOptions parsed = Parse(args);
    EXPECT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.help);
    return parsed.options;
}

TEST(AppOptionsTest, EveryOptionReachesItsSetting) {
    const RenderOptions options = ParseOk(
        {"grid.vtk", "--list", "--scalars", "rho", "--component", "magnitude", "--vectors", "u", "--max-samples",
         "5000", "--draw", "voxels,surface", "--voxel-range", "5,9", "--wireframe", "--colormap", "jet", "--range",
         "-1,10", "--alpha", "0.25", "--brightness", "0.75", "--clip", "0,0,2,-1", "--clip=1,0,0,0", "--capping", "off",
         "--deform", "-2.5", "--size", "320x200", "--azimuth", "45", "--elevation", "-30", "--zoom", "2", "--turntable",
         "12", "--probe", "10,20", "-o", "images/a.png"});
    EXPECT_EQ(options.inputPaths, std::vector<std::string>{"grid.vtk"});
    EXPECT_TRUE(options.list);
    EXPECT_EQ(std::tuple(options.scalars, options.vectors, options.maxSamples), std::tuple("rho", "u", 5000u));
    EXPECT_EQ(options.component, Fields::kMagnitude);
    EXPECT_EQ(std::tuple(options.drawSurface, options.drawEdges, options.drawVoxels, options.wireframe, options.capping),
              std::tuple(true, false, true, true, false));
    EXPECT_EQ(options.voxelRange, (std::array<float, 2>{5, 9}));
    EXPECT_EQ(options.colorMap, "jet");
    EXPECT_EQ(options.range, (std::array<float, 2>{-1, 10}));
    EXPECT_EQ(std::tuple(options.alpha, options.brightness, options.deformation), std::tuple(0.25f, 0.75f, -2.5f));
    // Normals come out unit length, the half-space unchanged.
    ASSERT_EQ(options.clipPlanes.size(), 2u);
    EXPECT_EQ(options.clipPlanes[0], (std::array<float, 4>{0, 0, 1, -0.5f}));
    EXPECT_EQ(options.clipPlanes[1], (std::array<float, 4>{1, 0, 0, 0}));
    EXPECT_EQ(std::tuple(options.width, options.height, options.turntableFrames), std::tuple(320u, 200u, 12u));
    EXPECT_EQ(std::tuple(options.azimuth, options.elevation, options.zoom), std::tuple(45.0, -30.0, 2.0));
    EXPECT_EQ(options.probe, (std::array<std::uint32_t, 2>{10, 20}));
    EXPECT_EQ(options.outputPath, "images/a.png");
}

TEST(AppOptionsTest, PicturesExplainThemselvesAndSeeInside) {
    const RenderOptions options =
        ParseOk({"g.vtk", "--slice", "x=0.5", "--slice", "0,0,2,-1", "--contour", "1,2.5", "--color-by", "p",
                 "--colormap", "inferno_r", "--log", "--out-of-range", "gray,#ff8000", "--colorbar", "bottom",
                 "--title", "Run 4", "--background", "transparent", "--view", "-z", "--ortho", "-o", "a.PNG"});
    EXPECT_EQ(options.slices, (std::vector<std::array<double, 4>>{{1, 0, 0, -0.5}, {0, 0, 1, -0.5}}));
    EXPECT_EQ(options.contours, (std::vector<float>{1.0f, 2.5f}));
    EXPECT_FALSE(options.drawSurface) << "slices and contours alone unless --draw adds more";
    EXPECT_EQ(options.colorBy, "p");
    EXPECT_EQ(options.colorMap, "inferno_r");
    EXPECT_TRUE(options.logarithmic && options.orthographic);
    EXPECT_EQ(options.outOfRangeColors, (std::array<std::array<std::uint8_t, 4>, 2>{{{128, 128, 128, 255},
                                                                                    {255, 128, 0, 255}}}));
    EXPECT_EQ(options.colorBar, ColorBarSide::Bottom);
    EXPECT_EQ(options.title, "Run 4");
    EXPECT_EQ(options.background[3], 0.0f);
    EXPECT_EQ(options.view, Rendering::ViewPreset::MinusZ);
    EXPECT_TRUE(ParseOk({"g.vtk", "--slice", "z=1", "--draw", "surface"}).drawSurface);
    EXPECT_EQ(ParseOk({"g.vtk", "--background", "black"}).background, (std::array<float, 4>{0, 0, 0, 1}));
}

// Every range includes its ends.
TEST(AppOptionsTest, RangesIncludeTheirEnds) {
    const RenderOptions low = ParseOk({"g.vtk", "--alpha", "0", "--brightness", "0", "--elevation", "-89", "--zoom",
                                       "0.01", "--turntable", "1", "--size", "1x1", "--deform", "-1e6"});
    EXPECT_EQ(low.alpha, 0.0f);
    EXPECT_EQ(low.elevation, -89.0);
    EXPECT_EQ(low.width, 1u);
    const RenderOptions high = ParseOk({"g.vtk", "--alpha", "1", "--brightness", "1", "--elevation", "89", "--zoom",
                                        "100", "--turntable", "3600", "--size", "8192x8192", "--deform", "1e6"});
    EXPECT_EQ(high.alpha, 1.0f);
    EXPECT_EQ(high.turntableFrames, 3600u);
}

TEST(AppOptionsTest, TheDemoTakesOutputAndSizeAndPathsFollowTheDataFile) {
    const RenderOptions options = ParseOk({"--output=pictures", "--size=64x48"});
    EXPECT_EQ(options.outputPath, "pictures");  // a directory: no .png needed
    EXPECT_EQ(options.width, 64u);
    EXPECT_EQ(DefaultOutputPath({}), "out");
    EXPECT_EQ(DefaultOutputPath({"data/beam.vtk"}), "out/beam.png");
    EXPECT_EQ(FramePath("out/beam.png", 12, 3600), "out/beam-0012.png");
    // Help wins over everything else.
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"grid.vtk", "--alpha", "7", "-h"}).help);
}

TEST(AppOptionsTest, EachBadCommandLineGivesOneMessageNamingTheOption) {
    const struct { std::vector<std::string_view> args; std::string message; } cases[] = {
        {{"g.vtk", "--colour", "jet"}, "unknown option '--colour' (see --help)"},
        {{"g.vtk", "--alpha"}, "--alpha needs a value (see --help)"},
        {{"g.vtk", "--alpha", "half"}, "--alpha: 'half' is not a number"},
        {{"g.vtk", "--alpha", "1.5"}, "--alpha: 1.5 is out of range (0 to 1)"},
        {{"g.vtk", "--turntable", "2.5"}, "--turntable: '2.5' is not a whole number"},
        {{"g.vtk", "--size", "800"}, "--size: expected WIDTHxHEIGHT such as 800x600, found '800'"},
        {{"g.vtk", "--range", "5,5"}, "--range: MIN must be below MAX, found '5,5'"},
        {{"g.vtk", "--draw", "voxels", "--voxel-range", "9,5"}, "--voxel-range: MIN must be at most MAX, found '9,5'"},
        {{"g.vtk", "--clip", "0,0,0,1"}, "--clip: the normal A,B,C of '0,0,0,1' must be non-zero and finite"},
        {{"g.vtk", "--clip=1,0,0,0", "--clip=1,0,0,0", "--clip=1,0,0,0", "--clip=1,0,0,0",
          "--clip=1,0,0,0", "--clip=1,0,0,0", "--clip=1,0,0,0", "--clip=1,0,0,0", "--clip=1,0,0,0"},
         "--clip: at most 8 planes"},
        {{"g.vtk", "--draw", "surface,mesh"}, "--draw: unknown drawable 'mesh' (surface, edges, voxels)"},
        {{"g.vtk", "--component", "x"}, "--component: 'x' is not a whole number"},
        {{"g.vtk", "--max-samples", "10"}, "--max-samples: 10 is out of range (1000 to 8589934592)"},
        {{"g.vtk", "--vectors", "u"}, "--vectors is the displacement of --deform: add --deform FACTOR"},
        {{"g.vtk", "--output="}, "--output needs a value (see --help)"},
        {{"g.vtk", "--wireframe"}, "--wireframe applies to voxels: add it to --draw"},
        {{"g.vtk", "--size", "100x50", "--probe", "100,0"}, "--probe: pixel 100,0 is outside the 100x50 image"},
        {{"a.vtk", "--steps", "5:5"}, "--steps: '5:5' selects no step (B must be above A)"},
        {{"--clip", "1,0,0,0"}, "--clip needs a data file; the demo takes only --output and --size"},
        {{"g.vtk", "--colormap", "hot"},
         "--colormap: unknown colour map 'hot' (viridis, jet, cividis, inferno, turbo, coolwarm, gray, NAME_r)"},
        {{"g.vtk", "--draw", "edges", "--colormap", "jet"},
         "--colormap applies to the surface, voxels, slices and contours: add it to --draw"},
        {{"g.vtk", "--slice", "w=1"}, "--slice: expected x=V, y=V, z=V or A,B,C,D such as z=0.5, found 'w=1'"},
        {{"g.vtk", "--log", "--range", "0,5"}, "--log: the range must lie above 0, found --range 0,5"},
        {{"g.vtk", "--background", "#12345"},
         "--background: '#12345' is not a colour (a name such as white, or #RRGGBB)"},
        {{"g.vtk", "--view", "x"}, "--view: expected +x, -x, +y, -y, +z, -z or iso, found 'x'"},
        {{"g.vtk", "--view", "+x", "--azimuth", "10"},
         "--view and --azimuth or --elevation both choose the direction: give one"},
        {{"g.vtk", "-o", "picture.jpg"}, "--output: 'picture.jpg' must end in .png"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseOptions(c.args).error, c.message);
}

// The usage text is the reference: every option it names must parse, and
// each must come with an example.
TEST(AppOptionsTest, HelpDocumentsEveryOptionWithAnExample) {
    const std::string help = HelpText();
    const std::vector<std::string> documented{
        "--list",       "--scalars",   "--component",  "--vectors",  "--max-samples", "--resolution", "--step",
        "--steps",      "--draw",      "--voxel-range", "--wireframe", "--slice",      "--contour",    "--colormap",
        "--color-by",   "--log",       "--range",      "--out-of-range", "--colorbar", "--alpha",      "--brightness",
        "--clip",       "--capping",   "--deform",     "--size",     "--view",        "--ortho",      "--azimuth",
        "--elevation",  "--zoom",      "--title",      "--background", "--turntable", "--probe",      "--output"};
    std::istringstream lines(help);
    std::string line, current, block;
    std::vector<std::pair<std::string, std::string>> blocks;  // option, its lines
    while (std::getline(lines, line)) {
        if (line.rfind("  -", 0) == 0) {
            if (!current.empty()) blocks.emplace_back(current, block);
            const std::size_t start = line.find("--");
            current = line.substr(start, line.find(' ', start) - start);
            block.clear();
        } else if (line.empty() || line.back() == ':') {
            if (!current.empty()) blocks.emplace_back(current, block);
            current.clear();
        }
        block += line + "\n";
    }
    std::vector<std::string> seen;
    for (const auto& [option, text] : blocks) {
        if (option == "--help") continue;
        seen.push_back(option);
        EXPECT_NE(text.find("e.g. "), std::string::npos) << option << " has no example";
        // Each example must itself parse.
        const std::string example =
            text.substr(text.find("e.g. ") + 5, text.find('\n', text.find("e.g. ")) - text.find("e.g. ") - 5);
        std::vector<std::string> words{"grid.vtk", "--draw", "surface,voxels"};
        std::istringstream exampleWords(example);
        for (std::string word; exampleWords >> word;) words.push_back(word);
        const std::vector<std::string_view> args(words.begin(), words.end());
        EXPECT_EQ(ParseOptions(args).error, "") << "example of " << option << ": " << example;
    }
    EXPECT_EQ(seen, documented);
}

// korvex-view shows what korvex-render draws, with its options, but for
// the turntable; it needs a file, and only it replays a script.
TEST(AppOptionsTest, TheViewerTakesTheRenderersOptionsAndAScript) {
    const std::vector<std::string_view> viewed{"g.vtk", "--script", "s.txt", "--colormap", "jet"};
    const ParsedOptions parsed = ParseOptions(viewed, AppProgram::View);
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.script, "s.txt");
    EXPECT_EQ(parsed.options.colorMap, "jet");
    const std::vector<std::tuple<AppProgram, std::vector<std::string_view>, const char*>> refused{
        {AppProgram::View, {"--script", "s.txt"}, "a data file is needed: korvex-view FILE [OPTIONS] (see --help)"},
        {AppProgram::View, {"g.vtk", "--turntable", "3"}, "unknown option '--turntable' (see --help)"},
        {AppProgram::Render, {"g.vtk", "--script", "s.txt"}, "unknown option '--script' (see --help)"},
    };
    for (const auto& [program, args, message] : refused) EXPECT_EQ(ParseOptions(args, program).error, message);
    const std::string viewHelp = HelpText(AppProgram::View), renderHelp = HelpText();
    EXPECT_EQ(viewHelp.rfind("Usage: korvex-view [OPTIONS] FILE...\n", 0), 0u);
    EXPECT_NE(viewHelp.find("--script"), std::string::npos);
    EXPECT_EQ(viewHelp.find("--turntable"), std::string::npos);
    EXPECT_EQ(renderHelp.find("--script"), std::string::npos);
}

}  // namespace
}  // namespace Korvex::App
