// korvex-render end to end on llvmpipe: a grid holding the linear field
// f(x, y, z) = x + 2y + 3z is drawn, and the value it prints for a pixel must
// be f where that pixel's ray meets what was drawn, its depth the projected
// depth there. Trilinear filtering reproduces a linear field exactly, so the
// tolerance covers only float rounding and the renderer's interpolation.

#include "LinearGrid.h"
#include "PngPicture.h"
#include "RunApp.h"
#include "XmlTestFiles.h"

#include <FontLocation.h>
#include <NamedColorMaps.h>
#include <Overlay.h>
#include <SceneCamera.h>

#include <cmath>
#include <functional>
#include <optional>
#include <regex>
#include <tuple>

namespace Korvex::App::test {
namespace {

constexpr std::uint32_t kSize = 64;
constexpr double kValueTolerance = 0.02;
// The meshes pass z/w from their vertices and the GPU interpolates it like
// any attribute, which is exact at the vertices only: across a cell face of
// this grid it is off by about 1e-3.
constexpr double kDepthTolerance = 2e-3;

// The same field at the centres of the same grid's cells, as a .vti file.
std::string CellCentredGridFile() {
    Io::test::XmlArray cells{"CellData", "g", "Float32", 1, {}};
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 6; ++j)
            for (int i = 0; i < 8; ++i) cells.values.push_back(Field({-0.875 + 0.25 * i, 0.25 + 0.5 * j, 2.25 + 0.5 * k}));
    return Io::test::XmlFileWriter({"ascii", "ascii"})
        .Write("ImageData", "0 8 0 6 0 4", "Origin=\"-1 0 2\" Spacing=\"0.25 0.5 0.5\"", {cells});
}

// The field at points of uneven spacing over the same box, finest spacings
// those of LinearGridFile.
std::string UnevenGridFile() {
    const std::vector<double> x{-1, -0.75, -0.25, 0.5, 1}, y{0, 0.5, 1.5, 3}, z{2, 2.5, 4};
    std::string text = "# vtk DataFile Version 3.0\nuneven\nASCII\nDATASET RECTILINEAR_GRID\nDIMENSIONS 5 4 3\n";
    const auto axis = [&](const char* name, const std::vector<double>& values) {
        text += std::string(name) + "_COORDINATES " + std::to_string(values.size()) + " double\n";
        for (double value : values) text += std::to_string(value) + " ";
        text += "\n";
    };
    axis("X", x);
    axis("Y", y);
    axis("Z", z);
    text += "POINT_DATA 60\nSCALARS f double\nLOOKUP_TABLE default\n";
    for (double zk : z)
        for (double yj : y)
            for (double xi : x) text += std::to_string(Field({xi, yj, zk})) + "\n";
    return text;
}

struct Ray { Vec3 origin, direction; };

// The ray through the centre of pixel (x, y), counted from the top left:
// from the eye, or along the view for a parallel projection.
Ray PixelRay(const Rendering::ViewMatrices& camera, std::uint32_t x, std::uint32_t y) {
    const auto& v = camera.view;
    const auto p = [&](int r, int c) { return camera.projection.GetElement(r, c, false); };
    const double ndcX = (x + 0.5) / kSize * 2.0 - 1.0, ndcY = 1.0 - (y + 0.5) / kSize * 2.0;
    const bool parallel = p(3, 3) == 1.0;
    const Vec3 start = parallel ? Vec3{(ndcX - p(0, 3)) / p(0, 0), (ndcY - p(1, 3)) / p(1, 1), 0.0} : Vec3{};
    const Vec3 viewDirection = parallel ? Vec3{0.0, 0.0, -1.0} : Vec3{ndcX / p(0, 0), ndcY / p(1, 1), -1.0};
    Ray ray{};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) {
            // The view's rotation is orthonormal: its transpose takes view space back to the world.
            ray.origin[c] += v.GetElement(r, c, false) * (start[r] - v.GetElement(r, 3, false));
            ray.direction[c] += v.GetElement(r, c, false) * viewDirection[r];
        }
    return ray;
}

// Where the ray meets the plane a x + b y + c z + d = 0.
Vec3 PlanePoint(const Ray& ray, const std::array<double, 4>& plane) {
    const auto dot = [&](const Vec3& u) { return plane[0] * u[0] + plane[1] * u[1] + plane[2] * u[2]; };
    const double t = -(dot(ray.origin) + plane[3]) / dot(ray.direction);
    return {ray.origin[0] + t * ray.direction[0], ray.origin[1] + t * ray.direction[1],
            ray.origin[2] + t * ray.direction[2]};
}

std::vector<Vec3> Corners(const Vec3& low, const Vec3& high) {
    std::vector<Vec3> corners;
    for (int bits = 0; bits < 8; ++bits)
        corners.push_back({bits & 1 ? high[0] : low[0], bits & 2 ? high[1] : low[1], bits & 4 ? high[2] : low[2]});
    return corners;
}

// The camera korvex-render frames the drawn box [low, high] with in the
// whole 64 x 64 picture (no colour bar), its depth range holding enclosed.
Rendering::ViewMatrices CameraOf(const Vec3& low, const Vec3& high, const CameraChoice& choice,
                                 const std::vector<Vec3>& enclosed = {}) {
    ScenePlan plan;
    for (std::size_t a = 0; a < 3; ++a) plan.layout.dimensions[a] = low[a] == high[a] ? 1 : 2;
    for (const Vec3& p : Corners(low, high)) plan.drawnPoints.push_back({p[0], p[1], p[2]});
    for (const Vec3& p : enclosed) plan.depthPoints.push_back({p[0], p[1], p[2]});
    return FrameScene(plan, ViewDirectionFor(choice, plan.layout), choice, {0, 0, kSize, kSize}, kSize, kSize);
}

// Where the ray enters the box, if it does.
std::optional<Vec3> EntryPoint(const Ray& ray, const Vec3& low, const Vec3& high) {
    double enter = 0.0, leave = 1e30;
    for (int a = 0; a < 3; ++a) {
        const double t0 = (low[a] - ray.origin[a]) / ray.direction[a];
        const double t1 = (high[a] - ray.origin[a]) / ray.direction[a];
        enter = std::max(enter, std::min(t0, t1));
        leave = std::min(leave, std::max(t0, t1));
    }
    if (enter > leave) return std::nullopt;
    return Vec3{ray.origin[0] + enter * ray.direction[0], ray.origin[1] + enter * ray.direction[1],
                ray.origin[2] + enter * ray.direction[2]};
}

double ProjectedDepth(const Rendering::ViewMatrices& camera, const Vec3& p) {
    const auto mvp = camera.projection * camera.view;
    double z = mvp.GetElement(2, 3, false), w = mvp.GetElement(3, 3, false);
    for (int c = 0; c < 3; ++c) {
        z += mvp.GetElement(2, c, false) * p[c];
        w += mvp.GetElement(3, c, false) * p[c];
    }
    return z / w;
}

struct Probe { double value, depth; };

std::optional<Probe> PrintedProbe(const std::string& out) {
    std::smatch match;
    static const std::regex line(R"(value at pixel \d+,\d+: (\S+) \(depth (\S+)\))");
    if (!std::regex_search(out, match, line)) return std::nullopt;
    return Probe{std::stod(match[1]), std::stod(match[2])};
}

// What a pixel must show: the camera frames the drawn box [low, high]
// (enclosed besides in its depth range); the pixel's ray meets what is
// drawn at hit (by default where it enters the box), whose value is value.
struct Sight {
    Vec3 low = kBoxMin, high = kBoxMax;
    std::function<std::optional<Vec3>(const Ray&)> hit;
    std::function<double(const Vec3&)> value = Field;
    std::vector<Vec3> enclosed;
    bool checkDepth = true;
    double tolerance = kValueTolerance;
};

// What lies on the plane a x + b y + c z + d = 0, drawn within [low, high].
Sight OnPlane(const Vec3& low, const Vec3& high, const std::array<double, 4>& plane) {
    Sight sight;
    sight.low = low;
    sight.high = high;
    sight.hit = [plane](const Ray& ray) { return std::optional<Vec3>(PlanePoint(ray, plane)); };
    return sight;
}

class KorvexRenderGLTest : public AppRunTest {
protected:
    // Renders the file with the options, no colour bar, from the choice, and
    // checks the value and depth printed for the pixel against the sight.
    void ExpectProbe(const std::vector<std::string>& options, std::uint32_t x, std::uint32_t y,
                     const CameraChoice& choice, const Sight& sight = {}) {
        std::vector<std::string> args{file_, "--size", "64x64", "--probe", std::to_string(x) + "," + std::to_string(y),
                                      "--colorbar", "off", "-o", "out/grid.png"};
        if (choice.preset) args.insert(args.end(), {"--view", kViewPresetNames[static_cast<int>(*choice.preset)]});
        if (choice.azimuth) args.insert(args.end(), {"--azimuth", std::to_string(*choice.azimuth)});
        if (choice.elevation) args.insert(args.end(), {"--elevation", std::to_string(*choice.elevation)});
        if (choice.orthographic) args.push_back("--ortho");
        args.insert(args.end(), options.begin(), options.end());
        const AppRun run = Run(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::optional<Probe> probe = PrintedProbe(run.out);
        ASSERT_TRUE(probe) << run.out;

        const Rendering::ViewMatrices camera = CameraOf(sight.low, sight.high, choice, sight.enclosed);
        const Ray ray = PixelRay(camera, x, y);
        const std::optional<Vec3> hit = sight.hit ? sight.hit(ray) : EntryPoint(ray, sight.low, sight.high);
        ASSERT_TRUE(hit) << "the pixel must see the box";
        EXPECT_NEAR(probe->value, sight.value(*hit), sight.tolerance) << "pixel " << x << "," << y;
        if (sight.checkDepth) {
            EXPECT_NEAR(probe->depth, ProjectedDepth(camera, *hit), kDepthTolerance);
        }
        const Picture picture = ReadPng(Path("out/grid.png"));
        ASSERT_EQ(picture.width, kSize);
        ASSERT_EQ(picture.height, kSize);
        EXPECT_FALSE(picture.IsBackground(x, y));
    }

    std::string file_ = "grid.vtk";
};

const CameraChoice kOrbit{{}, -60.0, 25.0};

TEST_F(KorvexRenderGLTest, SurfaceShowsTheFieldWhereEachRayEntersTheGrid) {
    WriteFile("grid.vtk", LinearGridFile());
    // The centre sees the front faces' corner region; the others one face each.
    for (const auto& [x, y] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{32, 32}, {20, 40}, {45, 22}})
        ExpectProbe({}, x, y, kOrbit);
}

TEST_F(KorvexRenderGLTest, VoxelsOfEveryCellShowTheSameField) {
    WriteFile("grid.vtk", LinearGridFile());
    ExpectProbe({"--draw", "voxels", "--voxel-range", "-100,100"}, 32, 32, kOrbit);
    ExpectProbe({"--draw", "voxels", "--voxel-range", "-100,100", "--wireframe"}, 40, 26, {{}, 30.0, -20.0});
}

TEST_F(KorvexRenderGLTest, CapClosesTheCutWithTheFieldOnThePlane) {
    WriteFile("grid.vtk", LinearGridFile());
    // Keep x <= 0 and look from +x: the centre ray meets the cap at x = 0.
    // A cap is drawn on one quad four box diagonals wide, across which the
    // interpolated depth strays far (0.06 here): only its value is checked.
    // The camera frames the half kept, its depth range holding the whole box.
    Sight cut{kBoxMin, {0.0, kBoxMax[1], kBoxMax[2]}, {}, Field, Corners(kBoxMin, kBoxMax), false};
    ExpectProbe({"--clip", "-1,0,0,0"}, 32, 32, {{}, 0.0, 10.0}, cut);
    ExpectProbe({"--clip", "-2,0,0,0"}, 30, 36, {{}, 0.0, 10.0}, cut);
    // Without caps the ray passes through the cut and meets the far face from inside.
    Sight open = OnPlane(kBoxMin, cut.high, {1, 0, 0, -kBoxMin[0]});
    open.checkDepth = false;
    ExpectProbe({"--clip", "-1,0,0,0", "--capping", "off"}, 32, 32, {{}, 0.0, 0.0}, open);
}

TEST_F(KorvexRenderGLTest, DeformationMovesTheSurfaceAndKeepsItsValues) {
    // Every sample lifted by (0, 0, 1), shown at half: the box is drawn
    // 0.5 higher, each point still carrying its own value.
    WriteFile("grid.vtk", LinearGridFile(true));
    Sight lifted;
    lifted.low[2] += 0.5;
    lifted.high[2] += 0.5;
    lifted.value = [](const Vec3& p) { return Field({p[0], p[1], p[2] - 0.5}); };
    ExpectProbe({"--deform", "0.5"}, 32, 32, kOrbit, lifted);
    ExpectProbe({"--deform", "0.5"}, 25, 20, kOrbit, lifted);
}

TEST_F(KorvexRenderGLTest, CellValuesLieAtCellCentresAndTheSurfaceAtTheBoxOfTheCells) {
    file_ = "grid.vti";
    WriteFile(file_, CellCentredGridFile());
    // Between the outermost centres the GPU interpolates the linear field
    // exactly; outside them, within half a cell of the surface, it holds the
    // outermost value.
    Sight sight;
    sight.value = [](Vec3 p) {
        const Vec3 low{-0.875, 0.25, 2.25}, high{0.875, 2.75, 3.75};
        for (int a = 0; a < 3; ++a) p[a] = std::clamp(p[a], low[a], high[a]);
        return Field(p);
    };
    for (const auto& [x, y] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{32, 32}, {20, 40}, {45, 22}})
        ExpectProbe({}, x, y, kOrbit, sight);
}

TEST_F(KorvexRenderGLTest, UnevenCoordinatesAreResampledOverTheTrueBox) {
    WriteFile("grid.vtk", UnevenGridFile());
    for (const auto& [x, y] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{32, 32}, {20, 40}})
        ExpectProbe({}, x, y, kOrbit);
}

TEST_F(KorvexRenderGLTest, ViewsLookAlongTheirAxisAndFlatGridsFaceOn) {
    WriteFile("grid.vtk", LinearGridFile());
    using Rendering::ViewPreset;
    for (const ViewPreset preset : {ViewPreset::PlusX, ViewPreset::MinusX, ViewPreset::PlusY, ViewPreset::MinusY,
                                    ViewPreset::PlusZ, ViewPreset::MinusZ})
        ExpectProbe({}, 24, 40, {preset, {}, {}, true});
    ExpectProbe({}, 24, 40, {ViewPreset::Isometric, {}, {}});
    WriteFile("grid.vtk", LinearGridFile(false, false, 1));
    Sight flat;
    flat.high[2] = flat.low[2];
    ExpectProbe({}, 30, 20, {}, flat);
    // Cell edges in the plane of the surface seen face-on are drawn over
    // it: those at x = 1, 2 and 3 of a grid 4 wide, 3 high, at z = 0.
    WriteFile("flat.vtk", "# vtk DataFile Version 3.0\nflat\nASCII\nDATASET STRUCTURED_POINTS\nDIMENSIONS 5 4 1\n"
                          "ORIGIN 0 0 0\nSPACING 1 1 1\nPOINT_DATA 20\nSCALARS f float 1\nLOOKUP_TABLE default\n"
                          "0 1 2 3 4 1 2 3 4 5 2 3 4 5 6 3 4 5 6 7\n");
    const AppRun edges = Run({"flat.vtk", "--size", "64x64", "--colorbar", "off", "--draw", "surface,edges"});
    ASSERT_EQ(edges.status, 0) << edges.err;
    EXPECT_NE(edges.out.find(": 'f' of flat.vtk (5x4x1, colours viridis 0 to 7): surface; cell edges; view face-on\n"),
              std::string::npos)
        << edges.out;
    const Picture picture = ReadPng(Path("out/flat.png"));
    ASSERT_EQ(picture.width, kSize);
    int lines = 0;  // dark grey pixels between the outline's sides, on a row between edges
    for (std::uint32_t x = 8; x < 56; ++x) lines += picture.At(x, 28)[0] < 60 && picture.At(x, 28)[1] < 60;
    EXPECT_GE(lines, 3);
}

// Slices and contours seen edge-on along x: the value printed is that of
// the field where the pixel's ray meets their plane.
TEST_F(KorvexRenderGLTest, SlicesAndContoursShowTheFieldWhereTheyLie) {
    WriteFile("grid.vtk", LinearGridFile(false, true));
    const auto plane = [](double x) {
        return OnPlane({x, kBoxMin[1], kBoxMin[2]}, {x, kBoxMax[1], kBoxMax[2]}, {1, 0, 0, -x});
    };
    const CameraChoice alongX{Rendering::ViewPreset::MinusX, {}, {}, true};
    ExpectProbe({"--slice", "x=0.25"}, 20, 40, alongX, plane(0.25));
    // g = 2x is 0.6 at x = 0.3; the contour is coloured by f.
    ExpectProbe({"--scalars", "g", "--contour", "0.6", "--color-by", "f"}, 40, 24, alongX, plane(0.3));
    // The GPU interpolates log10 of the values: 10 to that power falls short
    // of the linear value by about (its change across a cell)^2 / 8f, < 0.05 here.
    Sight logarithmic = plane(0.25);
    logarithmic.tolerance = 0.05;
    ExpectProbe({"--slice", "x=0.25", "--log"}, 20, 40, alongX, logarithmic);
    const Sight oblique = OnPlane({-0.5, kBoxMin[1], 2.5}, {1, kBoxMax[1], kBoxMax[2]}, {1, 0, 1, -3.5});
    ExpectProbe({"--slice", "1,0,1,-3.5"}, 32, 32, alongX, oblique);
}

// What is kept of the box, 1 wide and 2 high seen along y, fills the
// picture's height but for the margins, whatever was cut away.
TEST_F(KorvexRenderGLTest, FramingFillsThePictureWithWhatIsDrawn) {
    WriteFile("grid.vtk", LinearGridFile());
    const AppRun run = Run({"grid.vtk", "--size", "64x64", "--clip", "-1,0,0,0", "--view", "-y", "--ortho",
                            "--colorbar", "off", "-o", "half.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Picture picture = ReadPng(Path("half.png"));
    std::uint32_t top = kSize, bottom = 0, left = kSize, right = 0;
    for (std::uint32_t y = 0; y < kSize; ++y)
        for (std::uint32_t x = 0; x < kSize; ++x)
            if (!picture.IsBackground(x, y)) {
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
            }
    // 2 units over 2.2 of view: from 2.9 to 61.1 pixels down, 17.45 to 46.55
    // across; the pixels whose centres lie within.
    EXPECT_EQ(top, 3u);
    EXPECT_EQ(bottom, 60u);
    EXPECT_EQ(left, 17u);
    EXPECT_EQ(right, 46u);
}

// The bar where the overlay lays it out, in the colour map's colours from
// the bottom up, labelled; the title above; the surface beside them.
TEST_F(KorvexRenderGLTest, ColourBarTitleAndBackgroundExplainThePicture) {
    WriteFile("grid.vtk", LinearGridFile());
    const AppRun run = Run({"grid.vtk", "--size", "240x160", "--title", "Linear", "--colormap", "inferno"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Picture picture = ReadPng(Path("out/grid.png"));
    ASSERT_EQ(picture.width, 240u);
    std::string error;
    const auto overlay = Rendering::Overlay::Create(Rendering::FindSansFont(&error), 240, 160, &error);
    ASSERT_NE(overlay, nullptr) << error;
    Rendering::OverlayDesc desc{"Linear", Rendering::ColorBarDesc{{}, {}, {}, 5, 19, false, "f"}};
    const Rendering::OverlayLayout layout = overlay->Layout(desc);
    ASSERT_TRUE(layout.colorBar);
    const Rendering::PixelRect strip = layout.colorBar->strip;
    const std::vector<std::uint8_t> inferno = *Rendering::ColorMapTable("inferno");
    const auto x = static_cast<std::uint32_t>(strip.x + strip.width / 2);
    // The end pixels' centres lie within 2 entries of the ends (80 pixels for 256 entries).
    for (const auto& [y, end, inner] : {std::tuple<int, std::size_t, std::size_t>{strip.Bottom() - 1, 0, 2},
                                        {strip.y, 255, 253}})
        for (std::size_t c = 0; c < 3; ++c) {
            const int tolerance = std::abs(inferno[4 * end + c] - inferno[4 * inner + c]) + 2;
            EXPECT_NEAR(picture.At(x, static_cast<std::uint32_t>(y))[c], inferno[4 * end + c], tolerance) << y;
        }
    std::size_t ink = 0, outside = 0;
    for (std::uint32_t y = 0; y < 160; ++y)
        for (std::uint32_t px = 0; px < 240; ++px) {
            const bool drawn = !picture.IsBackground(px, y);
            if (px > static_cast<std::uint32_t>(strip.Right()) + 2) ink += drawn ? 1 : 0;  // labels
            const bool inScene = px < static_cast<std::uint32_t>(layout.scene.Right()) &&
                                 y >= static_cast<std::uint32_t>(layout.scene.y);
            if (drawn && !inScene && px < static_cast<std::uint32_t>(strip.x) - 1) ++outside;  // title only
        }
    EXPECT_GT(ink, 30u);
    EXPECT_GT(outside, 20u) << "title";

    const AppRun clear = Run({"grid.vtk", "--size", "64x48", "--colorbar", "off", "--background", "transparent",
                              "-o", "clear.png"});
    ASSERT_EQ(clear.status, 0) << clear.err;
    EXPECT_EQ(ReadPng(Path("clear.png")).At(0, 0)[3], 0);
    const AppRun dark = Run({"grid.vtk", "--size", "64x48", "--background", "#102030", "-o", "dark.png"});
    ASSERT_EQ(dark.status, 0) << dark.err;
    const Picture darkPicture = ReadPng(Path("dark.png"));
    const std::uint8_t* corner = darkPicture.At(0, 0);
    EXPECT_EQ((std::array<int, 4>{corner[0], corner[1], corner[2], corner[3]}), (std::array<int, 4>{16, 32, 48, 255}));
}

TEST_F(KorvexRenderGLTest, APictureWithNothingInItIsAnError) {
    WriteFile("grid.vtk", LinearGridFile());
    const AppRun run = Run({"grid.vtk", "--size", "16x16", "--clip", "1,0,0,-5"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "korvex-render: grid.vtk: nothing was drawn: everything is clipped away or outside the camera's view "
              "(see --clip, --zoom)\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"grid.vtk"}));
}

TEST_F(KorvexRenderGLTest, TurntableWritesNumberedFramesAndAnUnwritableOutputNone) {
    WriteFile("grid.vtk", LinearGridFile());
    const AppRun run = Run({"grid.vtk", "--size", "32x24", "--turntable", "3", "-o", "spin/g.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Files(), (std::vector<std::string>{"grid.vtk", "spin/g-000.png", "spin/g-001.png", "spin/g-002.png"}));
    EXPECT_EQ(run.err, "frame 1/3: spin/g-000.png\nframe 2/3: spin/g-001.png\nframe 3/3: spin/g-002.png\n");
    EXPECT_EQ(run.out.rfind("spin/g-000.png to spin/g-002.png: 3 turntable frames of 'f'", 0), 0u) << run.out;
    // An output that cannot be written leaves no file.
    const AppRun unwritable = Run({"grid.vtk", "--size", "16x16", "-o", "grid.vtk/picture.png"});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_EQ(unwritable.err, "korvex-render: grid.vtk/picture.png: cannot make its directory: Not a directory\n");
    EXPECT_EQ(Files().size(), 4u);
}

TEST_F(KorvexRenderGLTest, DemoWritesItsPicturesAndTheProbedTemperature) {
    const AppRun run = Run({"--size", "160x120"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Files(), (std::vector<std::string>{"out/demo-edges.png", "out/demo-probe.png", "out/demo-surface.png",
                                                 "out/demo-voxels.png"}));
    std::smatch match;
    ASSERT_TRUE(std::regex_search(run.out, match, std::regex(R"(temperature at the cross: (\S+) C)")))
        << run.out;
    const double temperature = std::stod(match[1]);
    EXPECT_GT(temperature, 20.0);
    EXPECT_LT(temperature, 100.0);
}

}  // namespace
}  // namespace Korvex::App::test
