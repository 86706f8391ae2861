// Files of a parallel run and of a time series in a scratch folder: pieces
// joined with their ghost cells left out, steps in the order of their times
// or of the numbers in their names.

#include "DatasetSummary.h"

#include <DatasetFile.h>
#include <Pieces.h>
#include <Series.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace Korvex::Io {
namespace {

using test::Summary;

// Two triangles on the unit square from x = x0, a cell array and the ghost
// flags of a parallel writer.
std::string Piece(int x0, const std::string& m, const std::string& ghost) {
    const std::string a = std::to_string(x0), b = std::to_string(x0 + 1);
    return "# vtk DataFile Version 3.0\np\nASCII\nDATASET UNSTRUCTURED_GRID\nPOINTS 4 float\n" + a + " 0 0 " + b +
           " 0 0 " + a + " 1 0 " + b +
           " 1 0\nCELLS 2 8\n3 0 1 2\n3 1 3 2\nCELL_TYPES 2\n5 5\nCELL_DATA 2\n"
           "SCALARS m float\nLOOKUP_TABLE default\n" +
           m + "\nFIELD f 1\nvtkGhostType 1 2 unsigned_char\n" + ghost + "\n";
}

class SeriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("korvex-series-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name) << text;
        return (dir_ / name).string();
    }

    std::filesystem::path dir_;
};

TEST_F(SeriesTest, ParallelPiecesAreJoinedWithoutTheirGhostCells) {
    Write("a.vtk", Piece(0, "1 2", "0 0"));
    // Its first cell copies one the other piece owns; the second is hidden.
    Write("b.vtk", Piece(1, "3 4", "1 32"));
    Write("c.vtk", Piece(2, "5 6", "0 0"));
    const ReadResult read =
        ReadDatasetFile(Write("run.pvtu",
                              "<VTKFile type=\"PUnstructuredGrid\"><PUnstructuredGrid><Piece Source=\"a.vtk\"/><Piece "
                              "Source=\"b.vtk\"/><Piece Source=\"c.vtk\"/></PUnstructuredGrid></VTKFile>"));
    ASSERT_TRUE(read.Ok()) << read.error;
    EXPECT_EQ(Summary(read.dataset),
              "cells 0,0,0 1,0,0 0,1,0 1,1,0 1,0,0 2,0,0 1,1,0 2,1,0 2,0,0 3,0,0 2,1,0 3,1,0 | "
              "5: 0,1,2 5: 1,3,2 5: 8,9,10 5: 9,11,10; cell 'm' 1: 1 2 5 6");
}

TEST_F(SeriesTest, ArraysNotInEveryPieceAreLeftOutWithAWarning) {
    Dataset with, without;
    with.geometry = without.geometry = UnstructuredGrid{{{0, 0, 0}}, {1}, {0, 1}, {0}};
    with.arrays.push_back({"p", Location::Points, 1, {7}});
    const ReadResult merged = MergePieces({with, without}, "run.pvtu");
    EXPECT_TRUE(merged.dataset.arrays.empty());
    EXPECT_EQ(merged.warnings, std::vector<std::string>{"run.pvtu: array 'p' is not in every piece alike; left out"});
}

TEST_F(SeriesTest, CollectionStepsComeInTimeOrderWithTheirParts) {
    Write("a.vtk", Piece(0, "1 2", "0 0"));
    Write("b.vtk", Piece(5, "3 4", "0 0"));
    const std::string pvd = Write("run.pvd",
                                  "<VTKFile type=\"Collection\"><Collection>"
                                  "<DataSet timestep=\"2\" part=\"0\" file=\"a.vtk\"/>"
                                  "<DataSet timestep=\"0.5\" part=\"0\" file=\"b.vtk\"/>"
                                  "<DataSet timestep=\"2\" part=\"1\" file=\"b.vtk\"/></Collection></VTKFile>");
    const Series series = OpenSeries(std::vector<std::string>{pvd});
    ASSERT_EQ(series.steps.size(), 2u) << series.error;
    EXPECT_EQ(series.steps[0].time, 0.5);
    EXPECT_EQ(series.steps[0].files, std::vector<std::string>{(dir_ / "b.vtk").string()});
    EXPECT_EQ(series.steps[1].files.size(), 2u);
    const ReadResult both = ReadStep(series.steps[1]);
    ASSERT_TRUE(both.Ok()) << both.error;
    EXPECT_EQ(std::get<UnstructuredGrid>(both.dataset.geometry).types.size(), 4u);
}

TEST_F(SeriesTest, NumberedFilesComeInTheOrderOfTheirNumbers) {
    const Series series = OpenSeries(std::vector<std::string>{"out/run_10.vtk", "out/run_2.vtk", "out/run_1.vtk"});
    std::vector<std::string> order;
    for (const SeriesStep& step : series.steps) order.push_back(step.files.front());
    EXPECT_EQ(order, (std::vector<std::string>{"out/run_1.vtk", "out/run_2.vtk", "out/run_10.vtk"}));
}

}  // namespace
}  // namespace Korvex::Io
