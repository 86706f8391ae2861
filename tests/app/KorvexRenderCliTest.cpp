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
        BadRun{"missing file", "", {"nothing.vtk", "-o", "out/x.png"}, 1,
               "korvex-render: nothing.vtk: cannot open: No such file or directory\n"},
        BadRun{"truncated values", VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2 3", {"grid.vtk"}, 1,
               "korvex-render: grid.vtk:11: unexpected end of file: SCALARS 's' has 3 of 4 values\n"},
        BadRun{"voxels of a flat grid", kGoodGrid, {"grid.vtk", "--draw", "voxels"}, 1,
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
