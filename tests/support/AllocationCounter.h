#pragma once

#include <cstddef>

namespace Korvex::Rendering::test_support {

// Calls of the global operator new since the program started. Linking
// Korvex.TestSupport.AllocationCounter replaces the program's operator new
// and delete with counting ones (AllocationCounter.cpp).
std::size_t AllocationCount();

}  // namespace Korvex::Rendering::test_support
