#pragma once

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/StringId.h>
#include <Korvex/Rendering/boundingbox.h>

namespace Korvex::Rendering {

// The box enclosing the transformed box; an empty box stays empty.
boundingbox<float, 3> Transform(const boundingbox<float, 3>& box, const KxTransformMatrix& matrix);

// Inverse transpose of the upper 3x3, embedded in a 4x4. A singular matrix
// gives its cofactor matrix, which still points normals the right way.
KxTransformMatrix ToNormalMatrix(const KxTransformMatrix& matrix);

}  // namespace Korvex::Rendering
