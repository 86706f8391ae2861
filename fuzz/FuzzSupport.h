#pragma once

// What the fuzz targets share: a check that stops the run with a message,
// and blocks of exactly the requested size.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cstdint>
#include <vector>

#define KORVEX_FUZZ_CHECK(condition)                                                          \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

namespace Korvex::Rendering::fuzz {

// count elements on the heap and nothing more, so that AddressSanitizer
// sees a read one element past a view; the first bytes come from source.
template <class T>
std::vector<T> ExactBlock(std::size_t count, const std::vector<std::uint8_t>& source) {
    std::vector<T> block(count);
    if (!source.empty()) std::memcpy(block.data(), source.data(), std::min(source.size(), count * sizeof(T)));
    return block;
}

}  // namespace Korvex::Rendering::fuzz
