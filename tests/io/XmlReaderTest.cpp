#include "DatasetSummary.h"
#include "XmlTestFiles.h"

#include <XmlReader.h>

#include <gtest/gtest.h>

namespace Korvex::Io {
namespace {

using test::Summary;
using test::XmlArray;
using test::XmlFileWriter;
using test::XmlFlavour;

// 3 x 2 x 1 points from extent index 2 along x: the origin moves two steps.
std::string ImageFile(const XmlFlavour& flavour) {
    return XmlFileWriter(flavour).Write("ImageData", "2 4 0 1 0 0", "Origin=\"1 0 5\" Spacing=\"0.5 2 0\"",
                                        {{"PointData", "v", "Float32", 2, {0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 6}},
                                         {"CellData", "m", "Int16", 1, {-7, 300}}});
}
const std::string kImage = "image 3x2x1 at 2,0,5 step 0.5,2,0; point 'v' 2: 0.5 1 1.5 2 2.5 3 3.5 4 4.5 5 5.5 6; "
                           "cell 'm' 1: -7 300";

std::string RectilinearFile(const XmlFlavour& flavour) {
    return XmlFileWriter(flavour).Write("RectilinearGrid", "0 2 0 1 0 0", "",
                                        {{"CellData", "m", "UInt8", 1, {7, 200}},
                                         {"Coordinates", "x", "Float64", 1, {0, 1, 4}},
                                         {"Coordinates", "y", "Float32", 1, {-1, 1}},
                                         {"Coordinates", "z", "Float32", 1, {5}}});
}
const std::string kRectilinear = "rectilinear x 0,1,4 y -1,1 z 5; cell 'm' 1: 7 200";

std::string CurvilinearFile(const XmlFlavour& flavour) {
    return XmlFileWriter(flavour).Write("StructuredGrid", "0 1 3 3 0 0", "",
                                        {{"Points", "p", "Float32", 3, {0, 0, 0, 2, 1, 0}},
                                         {"PointData", "f", "Float64", 1, {5, 6}}});
}
const std::string kCurvilinear = "structured 2x1x1 0,0,0 2,1,0; point 'f' 1: 5 6";

// A tetrahedron and a triangle; offsets are where cells end.
std::string CellsFile(const XmlFlavour& flavour) {
    return XmlFileWriter(flavour).Write(
        "UnstructuredGrid", "", "",
        {{"Points", "p", "Float64", 3, {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1}},
         {"Cells", "connectivity", "Int64", 1, {0, 1, 2, 3, 1, 2, 4}},
         {"Cells", "offsets", "Int64", 1, {4, 7}},
         {"Cells", "types", "UInt8", 1, {10, 5}},
         {"CellData", "m", "Int16", 1, {7, 8}}},
        " NumberOfPoints=\"5\" NumberOfCells=\"2\"");
}
const std::string kCells = "cells 0,0,0 1,0,0 0,1,0 0,0,1 1,1,1 | 10: 0,1,2,3 5: 1,2,4; cell 'm' 1: 7 8";

class XmlReaderTest : public ::testing::TestWithParam<XmlFlavour> {};

TEST_P(XmlReaderTest, EveryFlavourGivesTheSameGridsAndArrays) {
    for (const auto& [file, summary] : {std::pair{ImageFile(GetParam()), kImage},
                                        std::pair{RectilinearFile(GetParam()), kRectilinear},
                                        std::pair{CurvilinearFile(GetParam()), kCurvilinear},
                                        std::pair{CellsFile(GetParam()), kCells}}) {
        const ReadResult result = ParseXmlVtk(file, "grid.vti");
        ASSERT_TRUE(result.Ok()) << result.error;
        EXPECT_EQ(Summary(result.dataset), summary);
        EXPECT_TRUE(result.warnings.empty());
    }
}

constexpr const char* kZLib = "vtkZLibDataCompressor";
constexpr const char* kLZ4 = "vtkLZ4DataCompressor";

INSTANTIATE_TEST_SUITE_P(Flavours, XmlReaderTest,
                         ::testing::Values(XmlFlavour{"ascii", "ascii"}, XmlFlavour{"binary", "binary"},
                                           XmlFlavour{"binary_zlib", "binary", false, kZLib},
                                           XmlFlavour{"binary_lz4_uint64", "binary", false, kLZ4, true},
                                           XmlFlavour{"appended_raw", "appended"},
                                           XmlFlavour{"appended_raw_zlib_uint64", "appended", false, kZLib, true},
                                           XmlFlavour{"appended_base64", "appended", true},
                                           XmlFlavour{"appended_base64_lz4", "appended", true, kLZ4},
                                           XmlFlavour{"big_endian_raw", "appended", false, "", false, true},
                                           XmlFlavour{"big_endian_binary_zlib_uint64", "binary", false, kZLib, true,
                                                      true}),
                         [](const ::testing::TestParamInfo<XmlFlavour>& param) { return std::string(param.param.name); });

TEST(XmlReaderWarningTest, DataInTheOtherByteOrderIsReportedAsByteSwapped) {
    // Big-endian values with a little-endian byte count, declared little-endian.
    std::string file = XmlFileWriter({"big", "appended", false, "", false, true})
                           .Write("ImageData", "0 1 0 0 0 0", "", {{"PointData", "v", "Float32", 1, {1.5, 2.5}}});
    file.replace(file.find("BigEndian"), 9, "LittleEndian");
    file.replace(file.find("\n_") + 2, 4, std::string("\x08\0\0\0", 4));
    const ReadResult result = ParseXmlVtk(file, "grid.vti");
    ASSERT_TRUE(result.Ok()) << result.error;
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].rfind("grid.vti:6: DataArray 'v' looks byte-swapped:", 0), 0u) << result.warnings[0];
    // Read whole the other way round, already the byte count tells.
    file.replace(file.find("\n_") + 2, 4, std::string("\0\0\0\x08", 4));
    EXPECT_EQ(ParseXmlVtk(file, "grid.vti").error,
              "grid.vti:6: DataArray 'v': holds 134217728 bytes, not the 8 expected; read in the other byte order "
              "it is right: byte_order looks wrong");
}

// The file with the first text replaced.
std::string Edited(std::string file, const std::string& text, const std::string& replacement) {
    file.replace(file.find(text), text.size(), replacement);
    return file;
}

struct BrokenFile {
    const char* what;
    std::string bytes;
    std::string message;
};

class XmlReaderBrokenTest : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(XmlReaderBrokenTest, GivesOneMessageWithFileAndLine) {
    EXPECT_EQ(ParseXmlVtk(GetParam().bytes, "grid.vti").error, GetParam().message);
}

const std::string kAscii = ImageFile({"", "ascii"});
const std::string kRaw = ImageFile({"", "appended"});
const std::string kZLibBinary = ImageFile({"", "binary", false, kZLib});

INSTANTIATE_TEST_SUITE_P(
    Inputs, XmlReaderBrokenTest,
    ::testing::Values(
        BrokenFile{"not well formed", kAscii.substr(0, 120),
                   "grid.vti:3: not well-formed XML: Error parsing start element tag"},
        BrokenFile{"other kind", Edited(kAscii, "VTKFile type=\"ImageData\"", "VTKFile type=\"PolyData\""),
                   "grid.vti:2: VTKFile type 'PolyData' is not supported (ImageData, RectilinearGrid, StructuredGrid "
                   "and UnstructuredGrid are read; collections by path)"},
        BrokenFile{"cell naming a missing point",
                   Edited(CellsFile({"", "ascii"}), "2.000000 4.000000<", "2.000000 5.000000<"),
                   "grid.vti:9: DataArray 'connectivity': value 7 is not a whole number below 5"},
        BrokenFile{"lzma", Edited(kZLibBinary, kZLib, "vtkLZMADataCompressor"),
                   "grid.vti:2: compressor 'vtkLZMADataCompressor' is not supported (zlib and LZ4 are read)"},
        BrokenFile{"two pieces", Edited(kAscii, "</ImageData>", "<Piece Extent=\"0 0 0 0 0 0\"/></ImageData>"),
                   "grid.vti:12: more than one Piece in a file is not supported"},
        BrokenFile{"reversed extent", Edited(kAscii, "Extent=\"2 4", "Extent=\"4 2"),
                   "grid.vti:3: ImageData WholeExtent: each axis must span 1 to 2097152 points"},
        BrokenFile{"rotated", Edited(kAscii, "Spacing=", "Direction=\"0 1 0 1 0 0 0 0 1\" Spacing="),
                   "grid.vti:3: ImageData Direction: rotated or flipped grids are not supported (the identity only)"},
        BrokenFile{"values missing", Edited(kAscii, " 5.500000 6.000000", ""),
                   "grid.vti:6: DataArray 'v': 10 of 12 values"},
        BrokenFile{"string data", Edited(kAscii, "\"Int16\"", "\"String\""),
                   "grid.vti:9: DataArray 'm': 'String' data is not supported (numbers only)"},
        BrokenFile{"bad base64", Edited(kZLibBinary, ">BgAAAA", ">B*AAAA"),
                   "grid.vti:6: DataArray 'v': the compression header is cut short"},
        BrokenFile{"appended cut short", kRaw.substr(0, kRaw.find("\n_") + 31),
                   "grid.vti:6: DataArray 'v': the data is cut short: fewer than 48 bytes"},
        BrokenFile{"offset beyond", Edited(kRaw, "offset=\"52\"", "offset=\"520\""),
                   "grid.vti:9: DataArray 'm': offset 520 is beyond the 61 bytes of appended data"},
        BrokenFile{"wrong byte count", Edited(kRaw, "_0", "_1"),
                   "grid.vti:6: DataArray 'v': holds 49 bytes, not the 48 expected"},
        BrokenFile{"decreasing coordinates",
                   Edited(RectilinearFile({"", "ascii"}), " 1.000000 4.000000", " 4.000000 1.000000"),
                   "grid.vti:9: x coordinates: coordinates must increase: coordinate 3 (1) is not above coordinate 2 "
                   "(4)"}),
    [](const ::testing::TestParamInfo<BrokenFile>& param) {
        std::string name = param.param.what;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

}  // namespace
}  // namespace Korvex::Io
