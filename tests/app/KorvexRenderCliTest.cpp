// Bad input to korvex-render: one message on stderr, its exit status, and no
// image written. These runs end before a GPU device is made.

#include "RunApp.h"
#include "VtkFiles.h"

namespace Korvex::App::test {
namespace {

const std::string kGoodGrid = VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2 3 4\n";

struct BadRun {
    const char* what;
    std::string fileContents;  // written as grid.vtk unless empty
    std::vector<std::string> args;
    int status;
    std::string message;  // the whole of stderr
};

class KorvexRenderCliTest : public AppRunTest, public ::testing::WithParamInterface<BadRun> {};

TEST_P(KorvexRenderCliTest, AnswersWithOneMessageAndWritesNothing) {
    const BadRun& bad = GetParam();
    if (!bad.fileContents.empty()) WriteFile("grid.vtk", bad.fileContents);
    const std::vector<std::string> before = Files();
    const AppRun run = Run(bad.args);
    EXPECT_EQ(run.status, bad.status);
    EXPECT_EQ(run.err, bad.message);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Files(), before) << "no output file, finished or partial";
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, KorvexRenderCliTest,
    ::testing::Values(
        BadRun{"unknown option", "", {"--colour", "jet"}, 1, "korvex-render: unknown option '--colour' (see --help)\n"},
        BadRun{"out of range",
               kGoodGrid,
               {"grid.vtk", "--alpha", "2"},
               1,
               "korvex-render: --alpha: 2 is out of range (0 to 1)\n"},
        BadRun{"malformed number",
               kGoodGrid,
               {"grid.vtk", "--zoom", "1,5"},
               1,
               "korvex-render: --zoom: '1,5' is not a number\n"},
        BadRun{"missing file",
               "",
               {"nothing.vtk", "-o", "out/x.png"},
               1,
               "korvex-render: nothing.vtk: cannot open: No such file or directory\n"},
        BadRun{"misspelled keyword",
               WithLine(VtkHeader("ASCII"), "DIMENSIONS", "DIMENSION"),
               {"grid.vtk"},
               1,
               "korvex-render: grid.vtk:5: expected DIMENSIONS, ORIGIN, SPACING or POINT_DATA, found 'DIMENSION'\n"},
        BadRun{"truncated values",
               VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2 3",
               {"grid.vtk"},
               1,
               "korvex-render: grid.vtk:11: unexpected end of file: SCALARS 's' has 3 of 4 values\n"},
        BadRun{"binary too short",
               VtkHeader("BINARY") + "SCALARS s float\nLOOKUP_TABLE default\n" + BigEndianValues(std::vector<float>{1}),
               {"grid.vtk"},
               1,
               "korvex-render: grid.vtk:9: SCALARS 's': binary data too short: 4 of 16 bytes\n"},
        BadRun{"huge dimensions",
               VtkHeader("ASCII", "4096 4096 4096", 1) + "SCALARS s float\n",
               {"grid.vtk"},
               1,
               "korvex-render: grid.vtk:5: DIMENSIONS 4096 is out of range: each must be 1 to 2048\n"},
        BadRun{"deformation without vectors",
               kGoodGrid,
               {"grid.vtk", "--deform", "3"},
               1,
               "korvex-render: grid.vtk: deformation needs VECTORS in the file\n"},
        BadRun{"voxels of a flat grid",
               kGoodGrid,
               {"grid.vtk", "--draw", "voxels"},
               1,
               "korvex-render: grid.vtk: voxels need at least 2 samples along every axis; the grid has 2x2x1\n"}),
    [](const ::testing::TestParamInfo<BadRun>& param) {
        std::string name = param.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

class KorvexRenderHelpTest : public AppRunTest {};

TEST_F(KorvexRenderHelpTest, HelpGoesToStdoutWithStatusZero) {
    const AppRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: korvex-render [OPTIONS] [FILE.vtk]\n", 0), 0u);
    EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace Korvex::App::test
