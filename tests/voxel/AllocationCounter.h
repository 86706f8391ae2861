#pragma once

#include <cstddef>

namespace Korvex::Rendering::voxel_test {

// Heap allocations through operator new since the program started; the
// replacement operators live in AllocationCounter.cpp.
std::size_t AllocationCount();

}  // namespace Korvex::Rendering::voxel_test
