// Bad input to korvex-render: one message on stderr, its exit status, and no
// image written. These runs end before a GPU device is made.

#include "RunApp.h"
#include "VtkFiles.h"

namespace Korvex::App::test {
namespace {

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
    EXPECT_EQ(run.out.rfind("Usage: korvex-render [OPTIONS] [FILE.vtk]\n", 0), 0u);
    EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace Korvex::App::test
