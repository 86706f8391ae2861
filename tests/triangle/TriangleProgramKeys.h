#pragma once

// The triangle mesh's cache keys, computed here from their definition
// rather than through the library's key builder.

#include <ExpectedKeys.h>

#include <cstdint>
#include <string_view>

namespace Korvex::Rendering::triangle_test {

using test_support::Combine;
using test_support::CombineTwiceHashed;
using test_support::Fnv1a;

struct Variant {
    std::uint64_t planeCount = 0;
    bool deform = false;
    bool drawingPlane = false;
    bool probeValue = false;
    bool probePosition = false;
};

// The class seed, then each field hashed twice, in declaration order.
inline std::uint64_t ExpectedProgramKey(const Variant& v) {
    std::uint64_t h = Fnv1a(std::string_view("Korvex.Rendering.Simulation-TriangleGridMesh"));
    h = CombineTwiceHashed(h, v.planeCount);
    h = CombineTwiceHashed(h, v.deform);
    h = CombineTwiceHashed(h, v.drawingPlane);
    h = CombineTwiceHashed(h, v.probeValue);
    return CombineTwiceHashed(h, v.probePosition);
}

// The program key combined with the state's hash, hashed once.
inline std::uint64_t ExpectedPipelineKey(std::uint64_t programKey, std::uint64_t stateHash) {
    return Combine(programKey, Fnv1a(&stateHash, sizeof stateHash));
}

}  // namespace Korvex::Rendering::triangle_test
