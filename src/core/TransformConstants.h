#pragma once

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/Utilities.h>

namespace Korvex::Rendering::detail {

// The matrices of a constants block: model_matrix, model_view_matrix
// (view * model) and projection_matrix, and normal_matrix (of the model-view
// matrix) and model_view_projection_matrix where the block has them.
template <class Constants>
void WriteTransforms(Constants& constants, const KxTransformMatrix& model, const KxTransformMatrix& view,
                     const KxTransformMatrix& projection) {
    const KxTransformMatrix modelView = view * model;
    model.ConvertToFloat16(constants.model_matrix.data());
    modelView.ConvertToFloat16(constants.model_view_matrix.data());
    if constexpr (requires { constants.normal_matrix; })
        ToNormalMatrix(modelView).ConvertToFloat16(constants.normal_matrix.data());
    projection.ConvertToFloat16(constants.projection_matrix.data());
    if constexpr (requires { constants.model_view_projection_matrix; })
        (projection * modelView).ConvertToFloat16(constants.model_view_projection_matrix.data());
}

}  // namespace Korvex::Rendering::detail
