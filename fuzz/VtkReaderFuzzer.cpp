// libFuzzer entry for the VTK reader: every input gives a consistent grid or
// one message that names the file; the sanitizers catch the rest.

#include <VtkReader.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Korvex::App;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const VtkReadResult result = ParseVtk(bytes, "fuzz.vtk");
    if (!result.Ok()) {
        if (!result.error.starts_with("fuzz.vtk:")) std::abort();
        return 0;
    }
    const VtkGrid& grid = result.grid;
    std::size_t points = 1;
    for (std::size_t extent : grid.dimensions) {
        if (extent < 1 || extent > kMaxVtkDimension) std::abort();
        points *= extent;
    }
    if (grid.scalars.size() != points || (!grid.vectors.empty() && grid.vectors.size() != points)) std::abort();
    return 0;
}
