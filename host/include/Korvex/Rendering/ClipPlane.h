#pragma once

namespace Korvex::Rendering {

// A world-space point p is kept where a*p.x + b*p.y + c*p.z + d >= 0.
struct ClipPlane {
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;

    friend constexpr bool operator==(const ClipPlane&, const ClipPlane&) = default;
};
static_assert(sizeof(ClipPlane) == 16);

inline constexpr unsigned kMaxClipPlanes = 8;

}  // namespace Korvex::Rendering
