#include "DatasetSummary.h"
#include "LegacyTestFiles.h"

#include <DatasetFile.h>
#include <LegacyReader.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

namespace Korvex::Io {
namespace {

using test::BigEndianValues;
using test::Summary;
using test::VtkHeader;
using test::WithLine;

const std::string kCellsHead =
    "# vtk DataFile Version 5.1\ncells\nASCII\nDATASET UNSTRUCTURED_GRID\nPOINTS 5 float\n0 0 0 1 0 0 0 1 0 0 0 1 1 1 "
    "1\n";
const std::string kCellsTail = "CELL_DATA 2\nSCALARS m float\nLOOKUP_TABLE default\n7 8\n";
const std::string kCellsSummary = "cells 0,0,0 1,0,0 0,1,0 0,0,1 1,1,1 | 10: 0,1,2,3 5: 1,2,4; cell 'm' 1: 7 8";

struct GoodFile {
    const char* what;
    std::string bytes;
    std::string summary;
};

class LegacyReaderTest : public ::testing::TestWithParam<GoodFile> {};

TEST_P(LegacyReaderTest, GivesTheGridAndEveryArrayItDraws) {
    const ReadResult result = ParseLegacyVtk(GetParam().bytes, "grid.vtk");
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(Summary(result.dataset), GetParam().summary);
    EXPECT_TRUE(result.warnings.empty());
}

template <class Row>
std::string Name(const ::testing::TestParamInfo<Row>& param) {
    std::string name = param.param.what;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, LegacyReaderTest,
    ::testing::Values(
        GoodFile{"placement and ascii values",
                 "# vtk DataFile Version 3.0\nheated block\nASCII\nDATASET STRUCTURED_POINTS\nDIMENSIONS 3 2 1\n"
                 "ORIGIN -1 0.5 2\nSPACING 0.25 2 1\nPOINT_DATA 6\nSCALARS temperature float 1\n"
                 "LOOKUP_TABLE default\n0 1 2\n3.5 -4e2 +5\n",
                 "image 3x2x1 at -1,0.5,2 step 0.25,2,1; point 'temperature' 1: 0 1 2 3.5 -400 5"},
        // Lower-case keywords, CRLF, blank lines, ASPECT_RATIO, no ORIGIN.
        GoodFile{"usual variations",
                 "# vtk DataFile Version 2.0\r\n\r\nascii\r\ndataset structured_points\r\n\r\nASPECT_RATIO 2 2 2\r\n"
                 "dimensions 2 1 1\r\npoint_data 2\r\nscalars v FLOAT\r\nlookup_table my_table\r\n7\r\n8\r\n",
                 "image 2x1x1 at 0,0,0 step 2,2,2; point 'v' 1: 7 8"},
        // What is not drawn is skipped; SCALARS of 2 components, NORMALS and
        // FIELD arrays are kept in file order, cell data after point data.
        GoodFile{"every attribute",
                 VtkHeader("ASCII", "2 1 1", 2) +
                     "SCALARS uv double 2\nLOOKUP_TABLE hot\n1 2 3 4\nLOOKUP_TABLE hot 1\n0 0 0 1\n"
                     "METADATA\nINFORMATION 1\nNAME L2 LOCATION vtkDataArray\nDATA 2 0 1\n\n"
                     "COLOR_SCALARS c 3\n0 0 1 1 0 0\nTEXTURE_COORDINATES t 2 float\n0 0 1 1\n"
                     "TENSORS s float\n1 0 0 0 1 0 0 0 1 1 0 0 0 1 0 0 0 1\nNORMALS n float\n0 0 1 0 1 0\n"
                     "FIELD extra 3\nrate 1 2 int\n5 6\nNULL_ARRAY\ncolour%20index 1 2 unsigned_char\n9 8\n"
                     "CELL_DATA 1\nVECTORS u short\n-1 2 3\n",
                 "image 2x1x1 at 0,0,0 step 1,1,1; point 'uv' 2: 1 2 3 4; point 'n' 3: 0 0 1 0 1 0; point 'rate' 1: 5 6; "
                 "point 'colour index' 1: 9 8; cell 'u' 3: -1 2 3"},
        GoodFile{"rectilinear cells",
                 "# vtk DataFile Version 3.0\nr\nASCII\nDATASET RECTILINEAR_GRID\nFIELD FieldData 2\nTIME 1 1 double\n"
                 "0.5\nCYCLE 1 1 int\n3\nDIMENSIONS 3 2 1\nX_COORDINATES 3 float\n0 1 4\nY_COORDINATES 2 double\n-1 1\n"
                 "Z_COORDINATES 1 int\n5\nCELL_DATA 2\nSCALARS m int\nLOOKUP_TABLE default\n10 20\n",
                 "rectilinear x 0,1,4 y -1,1 z 5; cell 'm' 1: 10 20"},
        // A tetrahedron and a triangle, cells listed with their node counts.
        GoodFile{"unstructured cells", kCellsHead + "CELLS 2 9\n4 0 1 2 3\n3 1 2 4\nCELL_TYPES 2\n10\n5\n" + kCellsTail,
                 kCellsSummary},
        GoodFile{"unstructured cells of format 5",
                 kCellsHead + "CELLS 3 7\n \n  OFFSETS vtktypeint64\n0 4 7\nCONNECTIVITY vtktypeint64\n0 1 2 3 1 2 4\n"
                              "CELL_TYPES 2\n10\n5\n" + kCellsTail,
                 kCellsSummary},
        GoodFile{"unstructured binary",
                 "# vtk DataFile Version 5.1\ncells\nBINARY\nDATASET UNSTRUCTURED_GRID\nPOINTS 5 float\n" +
                     BigEndianValues<float>({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1}) + "\nCELLS 2 9\n" +
                     BigEndianValues<std::int32_t>({4, 0, 1, 2, 3, 3, 1, 2, 4}) + "\nCELL_TYPES 2\n" +
                     BigEndianValues<std::int32_t>({10, 5}) + "\nCELL_DATA 2\nSCALARS m float\nLOOKUP_TABLE default\n" +
                     BigEndianValues<float>({7, 8}),
                 "cells 0,0,0 1,0,0 0,1,0 0,0,1 1,1,1 | 10: 0,1,2,3 5: 1,2,4; cell 'm' 1: 7 8"},
        GoodFile{"curvilinear grid",
                 "# vtk DataFile Version 3.0\nc\nASCII\nDATASET STRUCTURED_GRID\nDIMENSIONS 2 1 2\nPOINTS 4 float\n"
                 "0 0 0 2 1 0 0 0 1 2 1 1\nPOINT_DATA 4\nSCALARS f float\nLOOKUP_TABLE default\n5 6 7 8\n",
                 "structured 2x1x2 0,0,0 2,1,0 0,0,1 2,1,1; point 'f' 1: 5 6 7 8"},
        // The flat axis of a 2D grid may have no spacing.
        GoodFile{"flat grid with zero spacing",
                 WithLine(VtkHeader("ASCII"), "SPACING 1 1 1", "SPACINGS 0.5 0.5 0") +
                     "SCALARS s float\nLOOKUP_TABLE default\n1 2 3 4\n",
                 "image 2x2x1 at 0,0,0 step 0.5,0.5,0; point 's' 1: 1 2 3 4"},
        GoodFile{"no arrays", VtkHeader("ASCII").substr(0, VtkHeader("ASCII").find("POINT_DATA")),
                 "image 2x2x1 at 0,0,0 step 1,1,1"}),
    Name<GoodFile>);

struct BinaryType {
    const char* type;
    std::string bytes;  // four big-endian values
    std::string values;
};

class LegacyBinaryTypeTest : public ::testing::TestWithParam<BinaryType> {};

TEST_P(LegacyBinaryTypeTest, ReadsBigEndianValuesOfEveryType) {
    const std::string file =
        VtkHeader("BINARY") + "SCALARS s " + GetParam().type + "\nLOOKUP_TABLE default\n" + GetParam().bytes + "\n";
    const ReadResult result = ParseLegacyVtk(file, "grid.vtk");
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(Summary(result.dataset), "image 2x2x1 at 0,0,0 step 1,1,1; point 's' 1: " + GetParam().values);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Types, LegacyBinaryTypeTest,
    ::testing::Values(
        BinaryType{"bit", "\xA0"s, "1 0 1 0"},
        BinaryType{"char", "\xFF\x80\x7F\x00"s, "-1 -128 127 0"},
        BinaryType{"unsigned_char", "\xFF\x80\x7F\x00"s, "255 128 127 0"},
        BinaryType{"short", "\xFF\xFE\x00\x01\x7F\xFF\x80\x00"s, "-2 1 32767 -32768"},
        BinaryType{"unsigned_short", "\xFF\xFE\x00\x01\x7F\xFF\x80\x00"s, "65534 1 32767 32768"},
        BinaryType{"int", "\xFF\xFF\xFF\xFD\x00\x01\x00\x00\x00\x00\x00\x07\x80\x00\x00\x00"s,
                   "-3 65536 7 -2.14748e+09"},
        BinaryType{"unsigned_int", "\xFF\xFF\xFF\xFD\x00\x01\x00\x00\x00\x00\x00\x07\x80\x00\x00\x00"s,
                   "4.29497e+09 65536 7 2.14748e+09"},
        BinaryType{"long", std::string(7, '\xFF') + "\xFE"s + std::string(7, '\0') + "\x05"s + std::string(8, '\0') +
                               "\x00\x00\x00\x01\x00\x00\x00\x00"s,
                   "-2 5 0 4.29497e+09"},
        BinaryType{"vtktypeuint64", std::string(8, '\xFF') + std::string(7, '\0') + "\x05"s + std::string(16, '\0'),
                   "1.84467e+19 5 0 0"},
        BinaryType{"float", BigEndianValues(std::vector<float>{1.5f, -2.0f, 1e-3f, 3e38f}), "1.5 -2 0.001 3e+38"},
        // Beyond the float range: the infinity of its sign.
        BinaryType{"double", BigEndianValues(std::vector<double>{0.25, -1e300, 1e300, 7}), "0.25 -inf inf 7"}),
    [](const ::testing::TestParamInfo<BinaryType>& param) { return std::string(param.param.type); });

TEST(LegacyReaderWarningTest, LittleEndianFloatsInABinaryFileAreReportedAsByteSwapped) {
    std::string littleEndian;
    for (float value : {1.0f, 2.0f, 3.0f, 4.0f}) littleEndian += BigEndianValues(std::vector<float>{value});
    // Reverse each value's four bytes.
    for (std::size_t i = 0; i < littleEndian.size(); i += 4) std::reverse(&littleEndian[i], &littleEndian[i + 4]);
    const ReadResult swapped = ParseLegacyVtk(
        VtkHeader("BINARY") + "SCALARS s float\nLOOKUP_TABLE default\n" + littleEndian, "grid.vtk");
    ASSERT_TRUE(swapped.Ok()) << swapped.error;
    ASSERT_EQ(swapped.warnings.size(), 1u);
    EXPECT_EQ(swapped.warnings[0].rfind("grid.vtk:9: SCALARS 's' looks byte-swapped:", 0), 0u) << swapped.warnings[0];
    EXPECT_NE(swapped.warnings[0].find("probably written little-endian"), std::string::npos);
}

struct BrokenFile {
    const char* what;
    std::string bytes;
    std::string message;
};

class LegacyReaderBrokenTest : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(LegacyReaderBrokenTest, GivesOneMessageWithFileAndLine) {
    const ReadResult result = ParseLegacyVtk(GetParam().bytes, "grid.vtk");
    EXPECT_EQ(result.error, GetParam().message);
}

const std::string kScalars4 = "SCALARS s float\nLOOKUP_TABLE default\n1 2 3 4\n";
const std::string kRectilinear = "# vtk DataFile Version 3.0\nr\nASCII\nDATASET RECTILINEAR_GRID\nDIMENSIONS 2 1 1\n";

INSTANTIATE_TEST_SUITE_P(
    Inputs, LegacyReaderBrokenTest,
    ::testing::Values(
        BrokenFile{"empty", "", "grid.vtk:1: not a legacy VTK file: the first line must be '# vtk DataFile Version x.y'"},
        BrokenFile{"bad format", WithLine(VtkHeader("ASCII"), "ASCII", "TEXT"),
                   "grid.vtk:3: expected ASCII or BINARY, found 'TEXT'"},
        BrokenFile{"other dataset", WithLine(VtkHeader("ASCII"), "STRUCTURED_POINTS", "POLYDATA"),
                   "grid.vtk:4: DATASET 'POLYDATA' is not supported (STRUCTURED_POINTS, RECTILINEAR_GRID, "
                   "STRUCTURED_GRID and UNSTRUCTURED_GRID are read)"},
        BrokenFile{"field data alone", "# vtk DataFile Version 2.0\nf\nASCII\nFIELD f 1\na 1 1 float\n1\n",
                   "grid.vtk:4: FIELD data without a DATASET is not supported (STRUCTURED_POINTS, RECTILINEAR_GRID, "
                   "STRUCTURED_GRID and UNSTRUCTURED_GRID are read)"},
        BrokenFile{"cell naming a missing point", kCellsHead + "CELLS 1 5\n4 0 1 2 9\nCELL_TYPES 1\n10\n",
                   "grid.vtk:7: CELLS: node 3 names point 9 of 5"},
        BrokenFile{"cell past the list", kCellsHead + "CELLS 1 3\n4 0 1\n",
                   "grid.vtk:7: CELLS: cell 0 runs past the 3 values"},
        BrokenFile{"types of other cells", kCellsHead + "CELLS 1 4\n3 0 1 2\nCELL_TYPES 2\n5 5\n",
                   "grid.vtk:9: CELL_TYPES 2 does not match CELLS 1"},
        BrokenFile{"offsets not from 0", kCellsHead + "CELLS 2 3\nOFFSETS int\n1 3\nCONNECTIVITY int\n0 1 2\n",
                   "grid.vtk:7: CELLS 2 3: OFFSETS must run from 0 to 3"},
        BrokenFile{"misspelled keyword", WithLine(VtkHeader("ASCII"), "DIMENSIONS", "DIMENSION") + kScalars4,
                   "grid.vtk:5: expected DIMENSIONS, ORIGIN, SPACING, POINT_DATA or CELL_DATA, found 'DIMENSION'"},
        BrokenFile{"no dimensions", WithLine(VtkHeader("ASCII"), "DIMENSIONS 2 2 1\n", "") + kScalars4,
                   "grid.vtk:7: expected DIMENSIONS before the data"},
        BrokenFile{"zero dimension", VtkHeader("ASCII", "2 0 1") + kScalars4,
                   "grid.vtk:5: DIMENSIONS '0' is out of range: each must be 1 to 2097152"},
        BrokenFile{"zero spacing across points", WithLine(VtkHeader("ASCII"), "SPACING 1 1 1", "SPACING 1 0 1"),
                   "grid.vtk:7: SPACING: the spacing along y must be positive, found 0 (zero is taken only along an "
                   "axis of one point)"},
        BrokenFile{"mismatched cell data", WithLine(VtkHeader("ASCII"), "POINT_DATA", "CELL_DATA"),
                   "grid.vtk:8: CELL_DATA 4 does not match DIMENSIONS 2 2 1 (1 cell)"},
        BrokenFile{"second point data", VtkHeader("ASCII") + kScalars4 + "POINT_DATA 4\n",
                   "grid.vtk:12: a second POINT_DATA section"},
        BrokenFile{"truncated values", VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1 2\n3",
                   "grid.vtk:12: unexpected end of file: SCALARS 's' has 3 of 4 values"},
        BrokenFile{"bad number", VtkHeader("ASCII") + "SCALARS s float\nLOOKUP_TABLE default\n1\n2x 3 4\n",
                   "grid.vtk:12: SCALARS 's': value 2 of 4 '2x' is not a number"},
        BrokenFile{"too many values", VtkHeader("ASCII") + kScalars4 + "5\n", "grid.vtk:12: more values than POINT_DATA 4"},
        BrokenFile{"five components", VtkHeader("ASCII") + "SCALARS s float 5\n",
                   "grid.vtk:9: SCALARS with '5' components is not supported (1 to 4)"},
        BrokenFile{"string data", VtkHeader("ASCII") + "FIELD f 1\nnames 1 4 string\n",
                   "grid.vtk:10: names: 'string' data is not supported (numbers only)"},
        BrokenFile{"unknown type", VtkHeader("ASCII") + "VECTORS v real\n",
                   "grid.vtk:9: VECTORS: unknown data type 'real' (bit, char, unsigned_char, short, unsigned_short, "
                   "int, unsigned_int, long, unsigned_long, vtktypeint64, vtktypeuint64, vtkIdType, float or double)"},
        BrokenFile{"no lookup table", VtkHeader("ASCII") + "SCALARS s float\n1 2 3 4\n",
                   "grid.vtk:10: expected LOOKUP_TABLE <name> after SCALARS, found '1'"},
        BrokenFile{"field tuples", VtkHeader("ASCII") + "FIELD f 1\na 1 3 float\n1 2 3\n",
                   "grid.vtk:10: FIELD array 'a' has 3 tuples, not 4 as its section"},
        BrokenFile{"unknown attribute", VtkHeader("ASCII") + kScalars4 + "SCALAR t float\n",
                   "grid.vtk:12: expected SCALARS, VECTORS, NORMALS, FIELD, POINT_DATA or CELL_DATA, found 'SCALAR'"},
        BrokenFile{"decreasing coordinates", kRectilinear + "X_COORDINATES 2 float\n1 0\n",
                   "grid.vtk:6: X_COORDINATES: coordinates must increase: coordinate 2 (0) is not above coordinate 1 "
                   "(1)"},
        BrokenFile{"coordinate count", kRectilinear + "X_COORDINATES 3 float\n0 1 2\n",
                   "grid.vtk:6: X_COORDINATES 3 does not match DIMENSIONS 2"},
        BrokenFile{"missing coordinates", kRectilinear + "X_COORDINATES 2 float\n0 1\nY_COORDINATES 1 float\n0\nPOINT_DATA 2\n",
                   "grid.vtk:10: expected Z_COORDINATES before the data"},
        BrokenFile{"binary too short",
                   VtkHeader("BINARY") + "SCALARS s double\nLOOKUP_TABLE default\n" +
                       BigEndianValues(std::vector<float>{1, 2, 3, 4}),
                   "grid.vtk:9: SCALARS 's': binary data too short: 16 of 32 bytes"},
        BrokenFile{"binary huge grid",
                   VtkHeader("BINARY", "2097152 2097152 2097152", std::size_t{1} << 63) +
                       "VECTORS v float\n" + BigEndianValues(std::vector<float>{1}),
                   "grid.vtk:9: VECTORS: too many values"}),
    Name<BrokenFile>);

TEST(DatasetFileTest, TellsTheKindsApartByTheirContent) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "DatasetFileTest";
    std::filesystem::create_directories(dir);
    const std::string legacy = (dir / "grid.vtk").string(), xml = (dir / "grid.vti").string();
    std::ofstream(legacy, std::ios::binary) << VtkHeader("ASCII") << kScalars4;
    std::ofstream(xml, std::ios::binary)
        << "\xEF\xBB\xBF <VTKFile type=\"ImageData\"><ImageData WholeExtent=\"0 1 0 0 0 0\"><Piece Extent=\"0 1 0 0 0 0\">"
           "<PointData><DataArray type=\"Float32\" Name=\"f\" format=\"ascii\">5 6</DataArray></PointData></Piece>"
           "</ImageData></VTKFile>";
    EXPECT_EQ(Summary(ReadDatasetFile(legacy).dataset), "image 2x2x1 at 0,0,0 step 1,1,1; point 's' 1: 1 2 3 4");
    EXPECT_EQ(Summary(ReadDatasetFile(xml).dataset), "image 2x1x1 at 0,0,0 step 1,1,1; point 'f' 1: 5 6");
    EXPECT_EQ(ReadDatasetFile(dir.string()).error, dir.string() + ": is a directory, not a data file");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace Korvex::Io
