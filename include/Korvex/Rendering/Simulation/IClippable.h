#pragma once

#include <Korvex/Rendering/ClipPlane.h>
#include <Korvex/Rendering/array_view.h>

namespace Korvex::Rendering {

class IClippable {
public:
    virtual ~IClippable() = default;
    // Valid until the next SetClipPlanes.
    virtual array_view<const ClipPlane> GetClipPlanes() const = 0;
    // Keeps the first 8 planes.
    virtual void SetClipPlanes(array_view<const ClipPlane> planes) = 0;
};

}  // namespace Korvex::Rendering
