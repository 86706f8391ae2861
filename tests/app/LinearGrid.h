#pragma once

// The grid the app tests draw: f(x, y, z) = x + 2y + 3z, which trilinear
// filtering reproduces exactly, on a box of known size.

#include <array>
#include <functional>
#include <string>

namespace Korvex::App::test {

using Vec3 = std::array<double, 3>;

// Samples 9 x 7 x 5 from (-1, 0, 2), spacing (0.25, 0.5, 0.5): the cells
// fill the box (-1, 0, 2)-(1, 3, 4).
inline const Vec3 kBoxMin{-1.0, 0.0, 2.0};
inline const Vec3 kBoxMax{1.0, 3.0, 4.0};
inline double Field(const Vec3& p) { return p[0] + 2.0 * p[1] + 3.0 * p[2]; }

// The grid as an ASCII file, 5 samples deep or flat in z; lifted, with a
// vector (0, 0, 1) at every sample; with g = 2x beside f; f raised by offset.
inline std::string LinearGridFile(bool lifted = false, bool withG = false, int depth = 5, double offset = 0.0) {
    const int count = 63 * depth;
    std::string text = "# vtk DataFile Version 3.0\nlinear field\nASCII\nDATASET STRUCTURED_POINTS\nDIMENSIONS 9 7 " +
                       std::to_string(depth) + "\nORIGIN -1 0 2\nSPACING 0.25 0.5 0.5\nPOINT_DATA " +
                       std::to_string(count) + "\n";
    const auto values = [&](const std::string& name, const std::function<double(const Vec3&)>& f) {
        text += "SCALARS " + name + " float 1\nLOOKUP_TABLE default\n";
        for (int k = 0; k < depth; ++k)
            for (int j = 0; j < 7; ++j)
                for (int i = 0; i < 9; ++i) text += std::to_string(f({-1.0 + 0.25 * i, 0.5 * j, 2.0 + 0.5 * k})) + "\n";
    };
    values("f", [offset](const Vec3& p) { return Field(p) + offset; });
    if (withG) values("g", [](const Vec3& p) { return 2.0 * p[0]; });
    if (lifted) text += "VECTORS u float\n";
    for (int n = 0; lifted && n < count; ++n) text += "0 0 1\n";
    return text;
}

}  // namespace Korvex::App::test
