#pragma once

// VTK XML files written in every flavour the reader takes, for tests.

#include <lz4.h>
#include <zlib.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace Korvex::Io::test {

struct XmlFlavour {
    const char* name;
    const char* format;          // ascii, binary or appended
    bool base64Appended = false;
    const char* compressor = "";  // "", vtkZLibDataCompressor or vtkLZ4DataCompressor
    bool header64 = false;
    bool bigEndian = false;
};

// A DataArray: values written as type (Float32, Float64, Int16, Int64 or UInt8).
struct XmlArray {
    std::string element;  // PointData, CellData, Coordinates, Points or Cells
    std::string name;
    std::string type;
    int components = 1;
    std::vector<double> values;
};

class XmlFileWriter {
public:
    explicit XmlFileWriter(XmlFlavour flavour) : flavour_(flavour) {}

    // type: ImageData, RectilinearGrid, StructuredGrid or UnstructuredGrid;
    // gridAttributes: Origin, Spacing...; pieceAttributes: NumberOfPoints...
    std::string Write(const std::string& type, const std::string& extent, const std::string& gridAttributes,
                      const std::vector<XmlArray>& arrays, const std::string& pieceAttributes = "") {
        std::string xml = "<?xml version=\"1.0\"?>\n<VTKFile type=\"" + type + "\" version=\"1.0\" byte_order=\"" +
                          (flavour_.bigEndian ? "BigEndian" : "LittleEndian") + "\" header_type=\"" +
                          (flavour_.header64 ? "UInt64" : "UInt32") + "\"" +
                          (*flavour_.compressor ? std::string(" compressor=\"") + flavour_.compressor + "\"" : "") +
                          ">\n<" + type + " WholeExtent=\"" + extent + "\" " + gridAttributes + ">\n<Piece Extent=\"" +
                          extent + "\"" + pieceAttributes + ">\n";
        std::string open;
        for (const XmlArray& array : arrays) {
            if (array.element != open) {
                if (!open.empty()) xml += "</" + open + ">\n";
                xml += "<" + array.element + ">\n";
                open = array.element;
            }
            xml += DataArray(array);
        }
        xml += "</" + open + ">\n</Piece>\n</" + type + ">\n";
        if (std::string(flavour_.format) == "appended")
            xml += std::string("<AppendedData encoding=\"") + (flavour_.base64Appended ? "base64" : "raw") + "\">\n_" +
                   appended_ + "\n</AppendedData>\n";
        return xml + "</VTKFile>\n";
    }

private:
    std::string DataArray(const XmlArray& array) {
        std::string element = "<DataArray type=\"" + array.type + "\" Name=\"" + array.name +
                              "\" NumberOfComponents=\"" + std::to_string(array.components) + "\" format=\"" +
                              flavour_.format + "\"";
        const std::string format = flavour_.format;
        if (format == "ascii") {
            element += ">";
            for (double value : array.values) element += " " + std::to_string(value);
            return element + "</DataArray>\n";
        }
        const std::vector<std::string> parts = Payload(array);
        if (format == "binary") return element + ">" + Base64(parts[0]) + Base64(parts[1]) + "</DataArray>\n";
        element += " offset=\"" + std::to_string(appended_.size()) + "\"/>\n";
        appended_ += flavour_.base64Appended ? Base64(parts[0]) + Base64(parts[1]) : parts[0] + parts[1];
        return element;
    }

    void Append(std::string& bytes, std::uint64_t bits, int size) const {
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (flavour_.bigEndian ? size - 1 - i : i);
            bytes += static_cast<char>((bits >> shift) & 0xFF);
        }
    }

    std::string Encode(const XmlArray& array) const {
        std::string bytes;
        for (double value : array.values) {
            if (array.type == "Float32") Append(bytes, std::bit_cast<std::uint32_t>(static_cast<float>(value)), 4);
            if (array.type == "Float64") Append(bytes, std::bit_cast<std::uint64_t>(value), 8);
            if (array.type == "Int16") Append(bytes, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)), 2);
            if (array.type == "UInt8") Append(bytes, static_cast<std::uint8_t>(value), 1);
            if (array.type == "Int64") Append(bytes, static_cast<std::uint64_t>(static_cast<std::int64_t>(value)), 8);
        }
        return bytes;
    }

    // The header and the data, encoded apart as VTK does for compressed data.
    std::vector<std::string> Payload(const XmlArray& array) const {
        const std::string data = Encode(array);
        const int count = flavour_.header64 ? 8 : 4;
        std::string header;
        const std::string compressor = flavour_.compressor;
        if (compressor.empty()) {
            Append(header, data.size(), count);
            return {header + data, ""};
        }
        // Blocks of 8 bytes, so that arrays take several and a short last one.
        constexpr std::size_t kBlock = 8;
        std::vector<std::string> blocks;
        for (std::size_t start = 0; start < data.size(); start += kBlock)
            blocks.push_back(Compress(data.substr(start, kBlock), compressor));
        Append(header, blocks.size(), count);
        Append(header, kBlock, count);
        Append(header, data.size() % kBlock, count);
        std::string body;
        for (const std::string& block : blocks) {
            Append(header, block.size(), count);
            body += block;
        }
        return {header, body};
    }

    static std::string Compress(const std::string& data, const std::string& compressor) {
        std::string out(1024, '\0');
        if (compressor == "vtkLZ4DataCompressor") {
            out.resize(static_cast<std::size_t>(
                LZ4_compress_default(data.data(), out.data(), static_cast<int>(data.size()), static_cast<int>(out.size()))));
            return out;
        }
        uLongf size = out.size();
        compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()), data.size());
        out.resize(size);
        return out;
    }

    static std::string Base64(const std::string& bytes) {
        static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string text;
        for (std::size_t i = 0; i < bytes.size(); i += 3) {
            std::uint32_t bits = 0;
            for (std::size_t j = 0; j < 3; ++j)
                bits = (bits << 8) | (i + j < bytes.size() ? static_cast<unsigned char>(bytes[i + j]) : 0u);
            for (std::size_t j = 0; j < 4; ++j)
                text += j <= bytes.size() - i ? kAlphabet[(bits >> (18 - 6 * j)) & 63] : '=';
        }
        return text;
    }

    XmlFlavour flavour_;
    std::string appended_;
};

}  // namespace Korvex::Io::test
