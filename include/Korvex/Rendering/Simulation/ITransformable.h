#pragma once

#include <Korvex/Math/KxTransformMatrix.h>
#include <Korvex/Rendering/boundingbox.h>

namespace Korvex::Rendering {

class ITransformable {
public:
    virtual ~ITransformable() = default;
    virtual boundingbox<float, 3> GetWorldBoundingBox() const = 0;
    virtual KxTransformMatrix GetModelTransform() const = 0;
    virtual void SetModelTransform(const KxTransformMatrix& model) = 0;
    virtual void SetViewProjection(const KxTransformMatrix& view, const KxTransformMatrix& projection) = 0;
};

}  // namespace Korvex::Rendering
