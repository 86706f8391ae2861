// korvex-render over a numbered series of finite-element results: the steps
// come in the order of the numbers in their names, a slice of them is drawn
// to images numbered by step, coloured over the range of every step and
// deformed by one factor, so that slices rendered apart match.

#include "RunApp.h"

#include <filesystem>

namespace Korvex::App::test {
namespace {

// A unit cube of one hexahedron; its values run from 0 to top along x, and
// its far corner moves by lift along z.
std::string CubeStep(int top, double lift) {
    const std::string t = std::to_string(top), u = std::to_string(lift);
    return "# vtk DataFile Version 3.0\ncube\nASCII\nDATASET UNSTRUCTURED_GRID\nPOINTS 8 float\n"
           "0 0 0 1 0 0 1 1 0 0 1 0 0 0 1 1 0 1 1 1 1 0 1 1\nCELLS 1 9\n8 0 1 2 3 4 5 6 7\nCELL_TYPES 1\n12\n"
           "POINT_DATA 8\nSCALARS f float\nLOOKUP_TABLE default\n0 " +
           t + " " + t + " 0 0 " + t + " " + t +
           " 0\n"
           "VECTORS u float\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 " +
           u + " 0 0 0\n";
}

class KorvexRenderSeriesGLTest : public AppRunTest {};

TEST_F(KorvexRenderSeriesGLTest, ASliceOfTheStepsSharesTheSeriesRangeAndDeformation) {
    WriteFile("cube_1.vtk", CubeStep(1, 0.2));
    WriteFile("cube_2.vtk", CubeStep(2, 0.2));
    WriteFile("cube_10.vtk", CubeStep(10, 0.5));
    const AppRun run = Run({"cube_10.vtk", "cube_2.vtk", "cube_1.vtk", "--steps", "1:3", "--deform", "auto", "--size",
                            "32x32", "--resolution", "1000", "-o", "out/cube.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    // Steps 1 and 2 of 0, 1, 2: cube_2 and cube_10.
    EXPECT_TRUE(std::filesystem::exists(Path("out/cube-001.png")));
    EXPECT_TRUE(std::filesystem::exists(Path("out/cube-002.png")));
    EXPECT_FALSE(std::filesystem::exists(Path("out/cube-000.png")));
    EXPECT_NE(run.err.find("step 2/2: out/cube-002.png"), std::string::npos) << run.err;
    // The largest displacement, 0.5, moves a tenth of the diagonal sqrt(3).
    EXPECT_NE(run.out.find("--deform auto: factor 0.34641 "), std::string::npos) << run.out;
    // cube_1's values, 0 to 1, lie within the others'; the range is theirs.
    EXPECT_NE(run.out.find("'f' of cube_10.vtk (10x10x10, colours viridis 0 to 10)"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace Korvex::App::test
