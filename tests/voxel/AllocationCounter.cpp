// The program's operator new and delete, counting allocations so that a test
// can show a draw path allocates nothing. Kept apart from code that uses new,
// so no translation unit sees both sides of the malloc-based pair.

#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace Korvex::Rendering::voxel_test {

std::size_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }

}  // namespace Korvex::Rendering::voxel_test
