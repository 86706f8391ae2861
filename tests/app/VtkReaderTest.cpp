#include "VtkFiles.h"

#include <VtkReader.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <tuple>

namespace Korvex::App {
namespace {

using test::BigEndianValues;
using test::VtkHeader;
using test::WithLine;

using Vectors = std::vector<std::array<float, 3>>;

VtkGrid ParseOk(const std::string& bytes) {
    VtkReadResult result = ParseVtk(bytes, "grid.vtk");
    EXPECT_TRUE(result.Ok()) << result.error;
    return std::move(result.grid);
}

// ASCII with its placement; then lower-case keywords, CRLF line ends,
// blank lines, ASPECT_RATIO for SPACING, placement lines in any order or
// left out.
TEST(VtkReaderTest, AsciiGivesTheGridWithItsPlacementAndTakesTheUsualVariations) {
    const VtkGrid grid = ParseOk(
        "# vtk DataFile Version 3.0\nheated block\nASCII\nDATASET STRUCTURED_POINTS\nDIMENSIONS 3 2 1\n"
        "ORIGIN -1 0.5 2\nSPACING 0.25 2 1\nPOINT_DATA 6\nSCALARS temperature float 1\nLOOKUP_TABLE default\n"
        "0 1 2\n3.5 -4e2 +5\n");
    EXPECT_EQ(std::tuple(grid.dimensions, grid.origin, grid.spacing),
              std::tuple(std::array<std::size_t, 3>{3, 2, 1}, std::array{-1.0, 0.5, 2.0}, std::array{0.25, 2.0, 1.0}));
    EXPECT_EQ(grid.scalarsName, "temperature");
    EXPECT_EQ(grid.scalars, (std::vector<float>{0, 1, 2, 3.5f, -400, 5}));
    EXPECT_TRUE(grid.vectorsName.empty() && grid.vectors.empty());

    const VtkGrid varied = ParseOk(
        "# vtk DataFile Version 2.0\r\n\r\nascii\r\ndataset structured_points\r\n\r\nASPECT_RATIO 2 2 2\r\n"
        "dimensions 2 1 1\r\npoint_data 2\r\nscalars v FLOAT\r\nlookup_table my_table\r\n7\r\n8\r\n");
    EXPECT_EQ(std::tuple(varied.dimensions, varied.origin, varied.spacing),
              std::tuple(std::array<std::size_t, 3>{2, 1, 1}, std::array{0.0, 0.0, 0.0}, std::array{2.0, 2.0, 2.0}));
    EXPECT_EQ(varied.scalars, (std::vector<float>{7, 8}));
}

TEST(VtkReaderTest, BinaryValuesAreBigEndianFloatsOrDoubles) {
    const std::vector<float> scalars{1.5f, -2.0f, 1e-3f, 3e7f};
    const std::vector<float> vectorFloats{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Vectors vectors{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};

    const VtkGrid floats =
        ParseOk(VtkHeader("BINARY") + "SCALARS s float 1\nLOOKUP_TABLE default\n" + BigEndianValues(scalars) +
                "\nVECTORS v float\n" + BigEndianValues(vectorFloats) + "\n");
    EXPECT_EQ(floats.scalars, scalars);
    EXPECT_EQ(floats.vectors, vectors);

    const std::vector<double> doubles{1.5, -2.0, 0.25, 1e10};
    const VtkGrid fromDoubles =
        ParseOk(VtkHeader("BINARY") + "SCALARS s double\nLOOKUP_TABLE default\n" + BigEndianValues(doubles));
    EXPECT_EQ(fromDoubles.scalars, (std::vector<float>{1.5f, -2.0f, 0.25f, 1e10f}));
    EXPECT_TRUE(fromDoubles.vectors.empty());
}

TEST(VtkReaderTest, LargestGridSizeIsAcceptedInTheHeader) {
    // The header is fine; the values run out.
    const std::string text = VtkHeader("ASCII", "2048 1 1", 2048) + "SCALARS s float\nLOOKUP_TABLE default\n1 1\n";
    EXPECT_EQ(ParseVtk(text, "grid.vtk").error,
              "grid.vtk:11: unexpected end of file: SCALARS 's' has 2 of 2048 values");
}

const std::string kScalars4 = "SCALARS s float\nLOOKUP_TABLE default\n1 2 3 4\n";

TEST(VtkReaderTest, EachBrokenFileGivesOneMessageWithFileAndLine) {
    const std::string lookup = "SCALARS s float\nLOOKUP_TABLE default\n", binary = VtkHeader("BINARY") + lookup;
    const struct { const char* what; std::string bytes; std::string message; } cases[] = {
        {"empty", "", "grid.vtk:1: not a legacy VTK file: the first line must be '# vtk DataFile Version x.y'"},
        {"bad format", WithLine(VtkHeader("ASCII"), "ASCII", "TEXT") + kScalars4,
         "grid.vtk:3: expected ASCII or BINARY, found 'TEXT'"},
        {"other dataset", WithLine(VtkHeader("ASCII"), "STRUCTURED_POINTS", "UNSTRUCTURED_GRID") + kScalars4,
         "grid.vtk:4: unsupported dataset 'UNSTRUCTURED_GRID' (STRUCTURED_POINTS only)"},
        {"misspelled keyword", WithLine(VtkHeader("ASCII"), "DIMENSIONS", "DIMENSION") + kScalars4,
         "grid.vtk:5: expected DIMENSIONS, ORIGIN, SPACING or POINT_DATA, found 'DIMENSION'"},
        {"zero dimension", VtkHeader("ASCII", "2 0 1") + kScalars4,
         "grid.vtk:5: DIMENSIONS 0 is out of range: each must be 1 to 2048"},
        {"huge dimension", VtkHeader("ASCII", "2049 1 1", 2049) + kScalars4,
         "grid.vtk:5: DIMENSIONS 2049 is out of range: each must be 1 to 2048"},
        {"zero spacing", WithLine(VtkHeader("ASCII"), "SPACING 1 1 1", "SPACING 1 0 1") + kScalars4,
         "grid.vtk:7: SPACING must be positive, found '0'"},
        {"bad origin", WithLine(VtkHeader("ASCII"), "ORIGIN 0 0 0", "ORIGIN 0 nan 0") + kScalars4,
         "grid.vtk:6: ORIGIN: 'nan' is not a finite number"},
        {"mismatched point data", VtkHeader("ASCII", "2 2 1", 5) + kScalars4,
         "grid.vtk:8: POINT_DATA 5 does not match DIMENSIONS 2 2 1 (4 points)"},
        {"truncated values", VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2\n3",
         "grid.vtk:12: unexpected end of file: SCALARS 's' has 3 of 4 values"},
        {"bad number", VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1\n2x 3 4\n",
         "grid.vtk:12: SCALARS 's': value 2 of 4 '2x' is not a number"},
        {"infinite value", VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2 inf 4\n",
         "grid.vtk:11: SCALARS 's': value 3 of 4 'inf' is not a finite number"},
        {"too many values", VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2 3 4\n5\n",
         "grid.vtk:12: more values than POINT_DATA 4"},
        {"three components", VtkHeader("ASCII") + "SCALARS s float 3\nLOOKUP_TABLE default\n1 2 3 4\n",
         "grid.vtk:9: SCALARS with '3' components is not supported (1 only)"},
        {"vectors only", VtkHeader("ASCII") + "VECTORS v float\n1 2 3 4 5 6 7 8 9 10 11 12\n",
         "grid.vtk:10: no SCALARS in POINT_DATA"},
        {"binary too short", binary + BigEndianValues(std::vector<float>{1, 2, 3}),
         "grid.vtk:9: SCALARS 's': binary data too short: 12 of 16 bytes"},
        {"binary nan", binary + BigEndianValues(std::vector<float>{1, std::numeric_limits<float>::quiet_NaN(), 3, 4}),
         "grid.vtk:9: SCALARS 's': binary value 2 is not a finite number"},
        {"binary huge grid",
         VtkHeader("BINARY", "2048 2048 2048", std::size_t{2048} * 2048 * 2048) + lookup +
             BigEndianValues(std::vector<float>{1}),
         "grid.vtk:9: SCALARS 's': binary data too short: 4 of 34359738368 bytes"},
    };
    for (const auto& c : cases) {
        const VtkReadResult result = ParseVtk(c.bytes, "grid.vtk");
        EXPECT_FALSE(result.Ok()) << c.what;
        EXPECT_EQ(result.error, c.message) << c.what;
    }
}

class VtkFileTest : public ::testing::Test {
protected:
    std::filesystem::path dir_ = std::filesystem::temp_directory_path() /
                                 ("VtkFileTest-" + std::to_string(getpid()));
    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
};

TEST_F(VtkFileTest, ReadsAFileAndNamesItInMessages) {
    const std::filesystem::path path = dir_ / "grid.vtk";
    std::ofstream(path, std::ios::binary) << VtkHeader("ASCII") << kScalars4;
    const VtkReadResult good = ReadVtkFile(path.string());
    ASSERT_TRUE(good.Ok()) << good.error;
    EXPECT_EQ(good.grid.scalars, (std::vector<float>{1, 2, 3, 4}));

    std::ofstream(path, std::ios::binary | std::ios::trunc) << VtkHeader("ASCII", "2 2 1", 3);
    EXPECT_EQ(ReadVtkFile(path.string()).error,
              path.string() + ":8: POINT_DATA 3 does not match DIMENSIONS 2 2 1 (4 points)");
    const std::string missing = (dir_ / "missing.vtk").string();
    EXPECT_EQ(ReadVtkFile(missing).error, missing + ": cannot open: No such file or directory");
    EXPECT_EQ(ReadVtkFile(dir_.string()).error, dir_.string() + ": is a directory, not a VTK file");
}

}  // namespace
}  // namespace Korvex::App
