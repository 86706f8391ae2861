#include <Korvex/Rendering/Utilities.h>

namespace Korvex::Rendering {

KxTransformMatrix ToNormalMatrix(const KxTransformMatrix& matrix) {
    auto a = [&](int r, int c) { return matrix.GetElement(r, c, false); };
    // Cofactors of the upper 3x3; the inverse transpose is cofactor / det.
    double cof[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cof[r][c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
        }
    const double det = a(0, 0) * cof[0][0] + a(0, 1) * cof[0][1] + a(0, 2) * cof[0][2];
    const double scale = det != 0.0 ? 1.0 / det : 1.0;
    KxTransformMatrix normal;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) normal.SetElement(r, c, cof[r][c] * scale);
    normal.VerifyAndSetClass();
    return normal;
}

}  // namespace Korvex::Rendering
