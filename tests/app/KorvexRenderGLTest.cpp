// korvex-render end to end on llvmpipe: a grid holding the linear field
// f(x, y, z) = x + 2y + 3z is drawn, and the value it prints for a pixel must
// be f where that pixel's ray meets what was drawn, its depth the projected
// depth there. Trilinear filtering reproduces a linear field exactly, so the
// tolerance covers only float rounding and the renderer's interpolation.

#include "RunApp.h"
#include "XmlTestFiles.h"

#include <OrbitCamera.h>

#include <png.h>

#include <cmath>
#include <functional>
#include <optional>
#include <regex>

namespace Korvex::App::test {
namespace {

using Vec3 = std::array<double, 3>;

constexpr std::uint32_t kSize = 64;
// Samples 9 x 7 x 5 from (-1, 0, 2), spacing (0.25, 0.5, 0.5): the cells
// fill the box (-1, 0, 2)-(1, 3, 4).
const Vec3 kBoxMin{-1.0, 0.0, 2.0};
const Vec3 kBoxMax{1.0, 3.0, 4.0};
constexpr double kValueTolerance = 0.02;
// The meshes pass z/w from their vertices and the GPU interpolates it like
// any attribute, which is exact at the vertices only: across a cell face of
// this grid it is off by about 1e-3.
constexpr double kDepthTolerance = 2e-3;

double Field(const Vec3& p) { return p[0] + 2.0 * p[1] + 3.0 * p[2]; }

// The grid as an ASCII file; lifted, with a vector (0, 0, 1) at every sample.
std::string LinearGridFile(bool lifted = false) {
    std::string text =
        "# vtk DataFile Version 3.0\nlinear field\nASCII\nDATASET STRUCTURED_POINTS\nDIMENSIONS 9 7 5\n"
        "ORIGIN -1 0 2\nSPACING 0.25 0.5 0.5\nPOINT_DATA 315\nSCALARS f float 1\nLOOKUP_TABLE default\n";
    for (int k = 0; k < 5; ++k)
        for (int j = 0; j < 7; ++j)
            for (int i = 0; i < 9; ++i) text += std::to_string(Field({-1.0 + 0.25 * i, 0.5 * j, 2.0 + 0.5 * k})) + "\n";
    if (lifted) text += "VECTORS u float\n";
    for (int n = 0; lifted && n < 315; ++n) text += "0 0 1\n";
    return text;
}

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

// The ray through the centre of pixel (x, y), counted from the top left.
Ray PixelRay(const CameraMatrices& camera, std::uint32_t x, std::uint32_t y) {
    const auto& v = camera.view;
    const double ndcX = (x + 0.5) / kSize * 2.0 - 1.0, ndcY = 1.0 - (y + 0.5) / kSize * 2.0;
    const Vec3 viewDirection{ndcX / camera.projection.GetElement(0, 0, false),
                             ndcY / camera.projection.GetElement(1, 1, false), -1.0};
    Ray ray{};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) {
            // The view's rotation is orthonormal: its transpose takes view space back to the world.
            ray.origin[c] -= v.GetElement(r, c, false) * v.GetElement(r, 3, false);
            ray.direction[c] += v.GetElement(r, c, false) * viewDirection[r];
        }
    return ray;
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

double ProjectedDepth(const CameraMatrices& camera, const Vec3& p) {
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

// The picture's RGBA bytes, top row first; empty when it cannot be read.
struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    bool IsBackground(std::uint32_t x, std::uint32_t y) const {
        const std::size_t i = 4 * (std::size_t{y} * width + x);
        return rgba[i] == 255 && rgba[i + 1] == 255 && rgba[i + 2] == 255;
    }
};

Picture ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return {};
    image.format = PNG_FORMAT_RGBA;
    Picture picture{image.width, image.height, std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image))};
    if (png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr) == 0) return {};
    return picture;
}

class KorvexRenderGLTest : public AppRunTest {
protected:
    // Renders grid.vtk with the options and checks the value printed for
    // the pixel against the field where its ray meets the box [low, high];
    // sample: where the value is read, given the point hit.
    void ExpectProbe(const std::vector<std::string>& options, std::uint32_t x, std::uint32_t y, const Vec3& low,
                     const Vec3& high, double azimuth, double elevation, const std::function<Vec3(Vec3)>& sample,
                     bool checkDepth = true) {
        std::vector<std::string> args{file_, "--size", "64x64", "--probe", std::to_string(x) + "," + std::to_string(y),
                                      "--azimuth", std::to_string(azimuth), "--elevation", std::to_string(elevation),
                                      "-o", "out/grid.png"};
        args.insert(args.end(), options.begin(), options.end());
        const AppRun run = Run(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::optional<Probe> probe = PrintedProbe(run.out);
        ASSERT_TRUE(probe) << run.out;

        const CameraMatrices camera = OrbitCamera(sceneBox_, azimuth, elevation, 1.0, 1.0);
        const std::optional<Vec3> hit = EntryPoint(PixelRay(camera, x, y), low, high);
        ASSERT_TRUE(hit) << "the pixel must see the box";
        EXPECT_NEAR(probe->value, Field(sample(*hit)), kValueTolerance) << "pixel " << x << "," << y;
        if (checkDepth) {
            EXPECT_NEAR(probe->depth, ProjectedDepth(camera, *hit), kDepthTolerance);
        }

        const Picture picture = ReadPng(Path("out/grid.png"));
        ASSERT_EQ(picture.width, kSize);
        ASSERT_EQ(picture.height, kSize);
        EXPECT_TRUE(picture.IsBackground(0, 0));
        EXPECT_FALSE(picture.IsBackground(x, y));
    }

    Rendering::boundingbox<float, 3> sceneBox_{{-1, 0, 2}, {1, 3, 4}};
    std::string file_ = "grid.vtk";
};

const auto kAsIs = [](Vec3 p) { return p; };

TEST_F(KorvexRenderGLTest, SurfaceShowsTheFieldWhereEachRayEntersTheGrid) {
    WriteFile("grid.vtk", LinearGridFile());
    // The centre sees the front faces' corner region; the others one face each.
    for (const auto& [x, y] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{32, 32}, {20, 40}, {45, 22}})
        ExpectProbe({}, x, y, kBoxMin, kBoxMax, -60.0, 25.0, kAsIs);
}

TEST_F(KorvexRenderGLTest, VoxelsOfEveryCellShowTheSameField) {
    WriteFile("grid.vtk", LinearGridFile());
    ExpectProbe({"--draw", "voxels", "--voxel-range", "-100,100"}, 32, 32, kBoxMin, kBoxMax, -60.0, 25.0, kAsIs);
    ExpectProbe({"--draw", "voxels", "--voxel-range", "-100,100", "--wireframe"}, 40, 26, kBoxMin, kBoxMax, 30.0, -20.0,
                kAsIs);
}

TEST_F(KorvexRenderGLTest, CapClosesTheCutWithTheFieldOnThePlane) {
    WriteFile("grid.vtk", LinearGridFile());
    // Keep x <= 0 and look from +x: the centre ray meets the cap at x = 0.
    // A cap is drawn on one quad four box diagonals wide, across which the
    // interpolated depth strays far (0.06 here): only its value is checked.
    const Vec3 cutMax{0.0, kBoxMax[1], kBoxMax[2]};
    ExpectProbe({"--clip", "-1,0,0,0"}, 32, 32, kBoxMin, cutMax, 0.0, 10.0, kAsIs, false);
    ExpectProbe({"--clip", "-2,0,0,0"}, 30, 36, kBoxMin, cutMax, 0.0, 10.0, kAsIs, false);
    // Without caps the ray passes through the cut and meets the far face from inside.
    const AppRun open = Run({"grid.vtk", "--size", "64x64", "--azimuth", "0", "--elevation", "0", "--clip", "-1,0,0,0",
                             "--capping", "off", "-o", "out/open.png"});
    ASSERT_EQ(open.status, 0) << open.err;
    const std::optional<Probe> probe = PrintedProbe(open.out);
    ASSERT_TRUE(probe) << open.out;
    const Ray ray = PixelRay(OrbitCamera(sceneBox_, 0.0, 0.0, 1.0, 1.0), 32, 32);
    const double t = (kBoxMin[0] - ray.origin[0]) / ray.direction[0];
    EXPECT_NEAR(probe->value,
                Field({kBoxMin[0], ray.origin[1] + t * ray.direction[1], ray.origin[2] + t * ray.direction[2]}),
                kValueTolerance);
}

TEST_F(KorvexRenderGLTest, DeformationMovesTheSurfaceAndKeepsItsValues) {
    // Every sample lifted by (0, 0, 1), shown at half: the box is drawn
    // 0.5 higher, each point still carrying its own value.
    WriteFile("grid.vtk", LinearGridFile(true));
    sceneBox_ = {{-1, 0, 1.5f}, {1, 3, 4.5f}};
    const Vec3 liftedMin{kBoxMin[0], kBoxMin[1], kBoxMin[2] + 0.5}, liftedMax{kBoxMax[0], kBoxMax[1], kBoxMax[2] + 0.5};
    const auto lowered = [](Vec3 p) { return Vec3{p[0], p[1], p[2] - 0.5}; };
    ExpectProbe({"--deform", "0.5"}, 32, 32, liftedMin, liftedMax, -60.0, 25.0, lowered);
    ExpectProbe({"--deform", "0.5"}, 25, 20, liftedMin, liftedMax, -60.0, 25.0, lowered);
}

TEST_F(KorvexRenderGLTest, CellValuesLieAtCellCentresAndTheSurfaceAtTheBoxOfTheCells) {
    file_ = "grid.vti";
    WriteFile(file_, CellCentredGridFile());
    // Between the outermost centres the GPU interpolates the linear field
    // exactly; outside them, within half a cell of the surface, it holds the
    // outermost value.
    const auto clamped = [](Vec3 p) {
        const Vec3 low{-0.875, 0.25, 2.25}, high{0.875, 2.75, 3.75};
        for (int a = 0; a < 3; ++a) p[a] = std::clamp(p[a], low[a], high[a]);
        return p;
    };
    for (const auto& [x, y] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{32, 32}, {20, 40}, {45, 22}})
        ExpectProbe({}, x, y, kBoxMin, kBoxMax, -60.0, 25.0, clamped);
}

TEST_F(KorvexRenderGLTest, UnevenCoordinatesAreResampledOverTheTrueBox) {
    WriteFile("grid.vtk", UnevenGridFile());
    for (const auto& [x, y] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{32, 32}, {20, 40}})
        ExpectProbe({}, x, y, kBoxMin, kBoxMax, -60.0, 25.0, kAsIs);
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
    ASSERT_TRUE(std::regex_search(run.out, match, std::regex(R"(temperature under the image centre: (\S+) C)")))
        << run.out;
    const double temperature = std::stod(match[1]);
    EXPECT_GT(temperature, 20.0);
    EXPECT_LT(temperature, 100.0);
}

}  // namespace
}  // namespace Korvex::App::test
