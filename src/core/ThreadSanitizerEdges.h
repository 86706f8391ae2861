#pragma once

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define KORVEX_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#include <sanitizer/tsan_interface.h>
#define KORVEX_THREAD_SANITIZER 1
#endif
#endif

namespace Korvex::Rendering::detail {

// libtbb is not built with ThreadSanitizer, which therefore cannot see that a
// task runs after the writes that preceded its spawn, nor that the join comes
// after the tasks' writes. These mark the two edges; tag is any address the
// two sides of an edge agree on.
inline void HappensBefore([[maybe_unused]] void* tag) {
#if defined(KORVEX_THREAD_SANITIZER)
    __tsan_release(tag);
#endif
}
inline void HappensAfter([[maybe_unused]] void* tag) {
#if defined(KORVEX_THREAD_SANITIZER)
    __tsan_acquire(tag);
#endif
}

}  // namespace Korvex::Rendering::detail
