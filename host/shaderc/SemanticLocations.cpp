#include "SemanticLocations.h"

#include <cstdint>
#include <utility>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

constexpr std::pair<std::string_view, unsigned> kKnownSemantics[] = {
    {"position", 0},       {"normal", 1},
    {"sample_coord", 2},   // up to 8 slots: 2..9
    {"clip_distance", 10}, // up to 8 planes: 10..17
    {"view_position", 10}, // the voxel corners, never with clip distances
    {"DepthClip", 18},     {"view_pos", 19},
    {"visibility", 20},    {"diffuse_factor", 21},
    {"signed_uv", 22},
};
constexpr unsigned kFirstHashedLocation = 23;

std::uint64_t Fnv1a64(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

}  // namespace

unsigned SemanticLocation(std::string_view semantic, unsigned slots) {
    for (const auto& [name, location] : kKnownSemantics) {
        if (name == semantic) {
            return location;
        }
    }
    const unsigned freeSlots = kVaryingLocationCount - kFirstHashedLocation;
    if (slots > freeSlots) {
        return kFirstHashedLocation;  // does not fit; the caller reports it
    }
    return kFirstHashedLocation + static_cast<unsigned>(Fnv1a64(semantic) % (freeSlots - slots + 1));
}

}  // namespace Korvex::Rendering::ShaderCompiler
