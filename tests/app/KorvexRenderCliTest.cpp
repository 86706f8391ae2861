// Bad input to korvex-render: one message on stderr, its exit status, and no
// image written. These runs end before a GPU device is made.

#include "LegacyTestFiles.h"
#include "RunApp.h"

namespace Korvex::App::test {
namespace {

using Io::test::BigEndianValues;
using Io::test::VtkHeader;
using Io::test::WithLine;

const std::string kGoodGrid = VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2 3 4\n";

using KorvexRenderCliTest = AppRunTest;

TEST_F(KorvexRenderCliTest, BadInputGetsOneMessageAndWritesNothing) {
    const struct {
        std::string fileContents;  // written as grid.vtk unless empty
        std::vector<std::string> args;
        std::string message;  // the whole of stderr
    } cases[] = {
        {"", {"--colour", "jet"}, "korvex-render: unknown option '--colour' (see --help)\n"},
        {"", {"nothing.vtk", "-o", "out/x.png"}, "korvex-render: nothing.vtk: cannot open: No such file or directory\n"},
        {VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2 3", {"grid.vtk"},
         "korvex-render: grid.vtk:11: unexpected end of file: SCALARS 's' has 3 of 4 values\n"},
        {kGoodGrid, {"grid.vtk", "--draw", "voxels"},
         "korvex-render: grid.vtk: voxels need at least 2 samples along every axis; the grid has 2x2x1\n"},
        {WithLine(kGoodGrid, "STRUCTURED_POINTS", "POLYDATA"), {"grid.vtk"},
         "korvex-render: grid.vtk:4: DATASET 'POLYDATA' is not supported (STRUCTURED_POINTS, RECTILINEAR_GRID, "
         "STRUCTURED_GRID and UNSTRUCTURED_GRID are read)\n"},
        {kGoodGrid, {"grid.vtk", "--scalars", "t"}, "korvex-render: grid.vtk: no array 't'; the file has 's'\n"},
        {kGoodGrid, {"grid.vtk", "--step", "3"},
         "korvex-render: grid.vtk: --step or --steps selects none of its 1 time steps\n"},
        {kGoodGrid, {"grid.vtk", "--deform", "3"},
         "korvex-render: grid.vtk: --deform needs an array of 3 components; the file has 's'\n"},
    };
    for (const auto& bad : cases) {
        if (!bad.fileContents.empty()) WriteFile("grid.vtk", bad.fileContents);
        const std::vector<std::string> before = Files();
        const AppRun run = Run(bad.args);
        EXPECT_EQ(run.status, 1) << bad.message;
        EXPECT_EQ(run.err, bad.message);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Files(), before) << "no output file, finished or partial";
    }
}

TEST_F(KorvexRenderCliTest, HelpGoesToStdoutWithStatusZero) {
    const AppRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: korvex-render [OPTIONS] [FILE...]\n", 0), 0u);
    EXPECT_EQ(run.err, "");
}

TEST_F(KorvexRenderCliTest, ListsTheGridAndEveryArrayAndWarnsOfByteSwappedData) {
    // Little-endian floats in a big-endian file: 1 reads as 0x0000803F,
    // 4.6e-41, and 2 as 0x00000040, 9e-44. Then cell data.
    std::string swapped = BigEndianValues(std::vector<float>{1, 2, 3, 4});
    for (std::size_t i = 0; i < swapped.size(); i += 4) std::reverse(&swapped[i], &swapped[i + 4]);
    WriteFile("grid.vtk", VtkHeader("BINARY") + "SCALARS s float\nLOOKUP_TABLE default\n" + swapped +
                              "\nCELL_DATA 1\nVECTORS velocity double\n" +
                              BigEndianValues(std::vector<double>{3, 4, 0}));
    const AppRun run = Run({"grid.vtk", "--list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "grid.vtk: image data, 2x2x1 points (1x1x1 cells), box (0, 0, 0) to (1, 1, 0)\n"
              "  point 's'         1 component   8.96831e-44 to 4.60074e-41\n"
              "  cell  'velocity'  3 components  magnitude 5 to 5\n");
    EXPECT_EQ(run.err.rfind("korvex-render: warning: grid.vtk:9: SCALARS 's' looks byte-swapped:", 0), 0u) << run.err;
    EXPECT_EQ(Files(), (std::vector<std::string>{"grid.vtk"}));
}

}  // namespace
}  // namespace Korvex::App::test
