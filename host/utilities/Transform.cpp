#include <Korvex/Rendering/Utilities.h>

namespace Korvex::Rendering {

boundingbox<float, 3> Transform(const boundingbox<float, 3>& box, const KxTransformMatrix& matrix) {
    if (box.IsEmpty()) return box;
    boundingbox<float, 3> result;
    for (int corner = 0; corner < 8; ++corner) {
        const double p[3] = {(corner & 1) ? box.max[0] : box.min[0], (corner & 2) ? box.max[1] : box.min[1],
                             (corner & 4) ? box.max[2] : box.min[2]};
        double q[4];
        for (int row = 0; row < 4; ++row)
            q[row] = matrix.GetElement(row, 0, false) * p[0] + matrix.GetElement(row, 1, false) * p[1] +
                     matrix.GetElement(row, 2, false) * p[2] + matrix.GetElement(row, 3, false);
        const double w = q[3] != 0.0 ? q[3] : 1.0;
        result.Add({static_cast<float>(q[0] / w), static_cast<float>(q[1] / w), static_cast<float>(q[2] / w)});
    }
    return result;
}

}  // namespace Korvex::Rendering
