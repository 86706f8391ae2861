#pragma once

// What the fuzz targets share: a check that stops the run with a message,
// and blocks of exactly the requested size, so that AddressSanitizer sees a
// read one element past a view.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#define KORVEX_FUZZ_CHECK(condition)                                                          \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

namespace Korvex::Rendering::fuzz {

// count elements on the heap and nothing more; the first bytes come from
// source (the rest stay zero).
template <class T>
class ExactBlock {
public:
    ExactBlock(std::size_t count, const void* source, std::size_t sourceBytes)
        : elements_(new T[count]()), count_(count) {
        const std::size_t bytes = sourceBytes < count * sizeof(T) ? sourceBytes : count * sizeof(T);
        if (bytes != 0) std::memcpy(elements_.get(), source, bytes);
    }

    T* data() const { return elements_.get(); }
    std::size_t size() const { return count_; }

private:
    std::unique_ptr<T[]> elements_;
    std::size_t count_;
};

}  // namespace Korvex::Rendering::fuzz
