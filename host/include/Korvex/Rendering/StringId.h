#pragma once

#include <cstdint>

namespace Korvex::Rendering {

// Identifies a name by its 64-bit FNV-1a hash; equal names give equal ids.
class StringId {
public:
    constexpr StringId() = default;
    explicit StringId(const char* name);

    constexpr std::uint64_t Value() const { return value_; }
    friend constexpr bool operator==(StringId, StringId) = default;

private:
    std::uint64_t value_ = 0;
};

}  // namespace Korvex::Rendering
