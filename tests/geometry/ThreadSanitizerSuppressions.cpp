// libtbb is not built with ThreadSanitizer, so the synchronisation between a
// task's spawn and its execution happens out of its sight. The builder marks
// those edges for its own data, but TBB's header code (task objects, ranges,
// partitioner state, the std::atomic members TBB initialises plainly) and the
// flush's body reading its captures from a TBB-made copy are still blamed.
// Only reports whose innermost frame is one of those are dropped; a race in
// OptimizeDrawCall, or anything it calls, is still reported.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
    return "race_top:/oneapi/tbb/\n"
           "race_top:/bits/atomic_base.h\n"
           "race_top:/c++/12/atomic\n"
           "race_top:IndexedVertexContainerBuilder<*>::FlushBuffers()::{lambda\n";
}
#endif
