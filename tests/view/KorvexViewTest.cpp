// korvex-view replaying scripts in a window on Xvfb: the values it prints
// for the cursor's pixel must be the linear field f = x + 2y + 3z at the
// point it prints, and that point must lie where the script's turns, cuts
// and deformations put the surface. The window is 320 x 240 without a
// colour bar, looking along +y at the box (-1, 0, 2)-(1, 3, 4): its -y face
// fills the middle of the picture.

#include "LinearGrid.h"
#include "PngPicture.h"
#include "RunApp.h"

#include <NamedColorMaps.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <regex>
#include <tuple>

namespace Korvex::App::test {
namespace {

// The faces probed here are seen face-on, where the probed depth is exact
// but for float rounding; 2e-3 leaves room for the interpolation across an
// oblique face.
constexpr double kPositionTolerance = 2e-3;
// f's gradient is (1, 2, 3), of length 3.7: a position 2e-3 off moves f by 0.0075.
constexpr double kValueTolerance = 0.01;
// The gradient is filtered between its entries, then rounded to 8 bits.
constexpr int kColorTolerance = 6;
// The subject's bounding sphere: the box's half diagonal.
const double kRadius = std::sqrt(1.0 + 1.5 * 1.5 + 1.0);

struct Readout {
    std::string label;
    double value = 0.0;
    Vec3 at{};
};

// "PATH: at pixel X,Y: 'f' = V at (x, y, z)", by PATH.
std::map<std::string, Readout> Readouts(const std::string& out) {
    static const std::regex line(R"((\S+): at pixel \d+,\d+: '(\w+)' = (\S+) at \((\S+), (\S+), (\S+)\))");
    std::map<std::string, Readout> readouts;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        readouts[m[1]] = {m[2], std::stod(m[3]), {std::stod(m[4]), std::stod(m[5]), std::stod(m[6])}};
    }
    return readouts;
}

// The colour map's entry for the share t of the range, lit face-on (at full colour).
void ExpectColor(const Picture& picture, std::uint32_t x, std::uint32_t y, const char* map, double t) {
    const std::vector<std::uint8_t> table = *Rendering::ColorMapTable(map);
    const auto entry = static_cast<std::size_t>(std::lround(t * static_cast<double>(table.size() / 4 - 1)));
    ASSERT_FALSE(picture.rgba.empty());
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(picture.At(x, y)[c], table[4 * entry + c], kColorTolerance) << map << " at " << t << ", " << c;
}

class KorvexViewTest : public AppRunTest {};

TEST_F(KorvexViewTest, ScriptsTurnCutDeformAndProbeTheSurface) {
    ASSERT_EQ(std::system("command -v xvfb-run >/dev/null 2>&1"), 0)
        << "xvfb-run is missing: scripts/setup installs Debian's xvfb";
    WriteFile("grid.vtk", LinearGridFile(true, true));
    WriteFile("s_0.vtk", LinearGridFile());
    WriteFile("s_1.vtk", LinearGridFile(false, false, 5, 10.0));
    struct Case {
        const char* name;
        const char* script;
        std::function<void(const std::map<std::string, Readout>&)> check;
        std::vector<std::string> args = {};
        std::vector<std::string> files = {"grid.vtk"};
    };
    const auto onSurface = [](const Readout& r) { EXPECT_NEAR(r.value, Field(r.at), kValueTolerance) << r.value; };
    const std::vector<Case> cases{
        // The cursor starts in the middle of the window, over the face's centre
        // (within the half pixel between the window's centre and its pixel's).
        {"the cursor reads f on the -y face", "screenshot a.png\nmove 130 150\nscreenshot b.png",
         [&](const auto& r) {
             ASSERT_EQ(r.size(), 2u);
             for (const auto& [path, readout] : r) {
                 EXPECT_NEAR(readout.at[1], 0.0, kPositionTolerance) << path;
                 onSurface(readout);
             }
             EXPECT_NEAR(r.at("a.png").at[0], 0.0, 0.02);
             EXPECT_NEAR(r.at("a.png").at[2], 3.0, 0.02);
             EXPECT_LT(r.at("b.png").at[0], r.at("a.png").at[0]) << "further left";
         }},
        // 360 pixels turn the box 90 degrees right: its -x face comes round.
        {"a drag right turns the -x face to the viewer", "drag left 0 120 360 120 12\nmove 160 120\nscreenshot a.png",
         [&](const auto& r) {
             EXPECT_NEAR(r.at("a.png").at[0], -1.0, kPositionTolerance);
             onSurface(r.at("a.png"));
         }},
        // Turned 30 degrees, the faces are seen obliquely: the probed depth
        // must still be that of the face.
        {"obliquely seen faces are probed where they are",
         "drag left 0 120 120 120 4\nmove 160 120\nscreenshot a.png\nmove 125 120\nscreenshot b.png"
         "\nmove 200 100\nscreenshot c.png",
         [&](const auto& r) {
             ASSERT_EQ(r.size(), 3u);
             for (const auto& [path, readout] : r) {
                 double nearest = 1e9;
                 for (std::size_t axis = 0; axis < 3; ++axis)
                     nearest = std::min({nearest, std::abs(readout.at[axis] - kBoxMin[axis]),
                                         std::abs(readout.at[axis] - kBoxMax[axis])});
                 EXPECT_LT(nearest, kPositionTolerance) << path << " off every face";
                 onSurface(readout);
             }
         }},
        // The cut keeps y >= 1.5, its cap facing the viewer; dragging up by a
        // quarter of the height moves it half the radius further.
        {"the cut and its cap move with a right drag",
         "key c\nmove 160 120\nscreenshot a.png\ndrag right 160 120 160 60 4\nmove 160 120\nscreenshot b.png",
         [&](const auto& r) {
             EXPECT_NEAR(r.at("a.png").at[1], 1.5, kPositionTolerance);
             EXPECT_NEAR(r.at("b.png").at[1], 1.5 + kRadius / 2, kPositionTolerance);
             onSurface(r.at("a.png"));
             onSurface(r.at("b.png"));
         }},
        // Two steps, each --deform auto's factor (a tenth of the box's
        // diagonal, 0.41) rounded down to 0.2, lift the surface by 0.4 along
        // u = (0, 0, 1); f is that of the point before it moved.
        {"the deformation keys lift the surface", "key +\nkey =\nwait 500\nmove 160 120\nscreenshot a.png",
         [&](const auto& r) {
             const Readout& a = r.at("a.png");
             EXPECT_NEAR(a.at[2] - (a.value - a.at[0] - 2.0 * a.at[1]) / 3.0, 0.4, kPositionTolerance);
         }},
        {"the array key colours by g = 2x", "key a\nmove 130 120\nscreenshot a.png",
         [&](const auto& r) {
             EXPECT_EQ(r.at("a.png").label, "g");
             EXPECT_NEAR(r.at("a.png").value, 2.0 * r.at("a.png").at[0], 2.0 * kPositionTolerance);
         }},
        // f spans 5 to 19 on the box, 5 to 13 on the -y face in view.
        {"m takes the next colour map, f the range in view",
         "move 160 120\nscreenshot a.png\nkey m\nscreenshot b.png\nkey f\nscreenshot c.png",
         [&](const auto& r) {
             const double v = r.at("a.png").value;
             ExpectColor(ReadPng(Path("a.png")), 160, 120, "viridis", (v - 5.0) / 14.0);
             ExpectColor(ReadPng(Path("b.png")), 160, 120, "jet", (v - 5.0) / 14.0);
             ExpectColor(ReadPng(Path("c.png")), 160, 120, "jet", (v - 5.0) / 8.0);
         }},
        {"s numbers the screenshots after --output", "key s\nkey s",
         [&](const auto&) {
             for (const char* name : {"shots/v-000.png", "shots/v-001.png"}) {
                 const Picture picture = ReadPng(Path(name));
                 EXPECT_EQ(picture.width, 320u) << name;
                 EXPECT_EQ(picture.height, 240u) << name;
             }
         },
         {"-o", "shots/v.png"}},
        // Two files are a series of two steps; the second holds f + 10.
        {"the arrow keys step through a series", "move 160 120\nscreenshot a.png\nkey right\nscreenshot b.png"
         "\nkey right\nkey left\nscreenshot c.png",
         [&](const auto& r) {
             EXPECT_NEAR(r.at("b.png").value, r.at("a.png").value + 10.0, kValueTolerance);
             EXPECT_NEAR(r.at("c.png").value, r.at("a.png").value, kValueTolerance);
             for (std::size_t axis = 0; axis < 3; ++axis)
                 EXPECT_NEAR(r.at("b.png").at[axis], r.at("a.png").at[axis], kPositionTolerance);
         },
         {}, {"s_0.vtk", "s_1.vtk"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile("script.txt", c.script);
        std::vector<std::string> args = c.files;
        args.insert(args.end(), {"--view", "+y", "--size", "320x240", "--colorbar", "off", "--script", "script.txt"});
        args.insert(args.end(), c.args.begin(), c.args.end());
        const AppRun run = Run(args, "xvfb-run -a -s '-screen 0 640x480x24'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out.rfind("window: OpenGL through ", 0), 0u) << run.out;
        c.check(Readouts(run.out));
    }
}

// Files and scripts are read and checked before a window is asked for: with
// no display at all, bad input is still answered as such (status 1), and
// good input meets the missing window (status 2).
TEST_F(KorvexViewTest, BadInputIsAnsweredBeforeAnyWindow) {
    WriteFile("grid.vtk", LinearGridFile());
    WriteFile("bad.txt", "move 1 2\nkey enter\n");
    WriteFile("good.txt", "key s\n");
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases{
        {{"grid.vtk", "--script", "bad.txt"}, 1, "korvex-view: bad.txt:2: key: unknown key 'enter'"},
        {{"missing.vtk"}, 1, "korvex-view: missing.vtk: cannot open: No such file or directory\n"},
        {{"grid.vtk", "--script", "good.txt"}, 2, "korvex-view: ViewerWindow::Create(): no window system"},
    };
    for (const auto& [args, status, message] : cases) {
        const AppRun run = Run(args, "env -u DISPLAY -u WAYLAND_DISPLAY");
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_EQ(run.err.rfind(message, 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace Korvex::App::test
