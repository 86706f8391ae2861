#pragma once

#include <cstddef>

namespace Korvex::Rendering::bench {

// Calls of the global operator new since the program started; the counting
// replacements live in AllocationCounter.cpp.
std::size_t AllocationCount();

}  // namespace Korvex::Rendering::bench
