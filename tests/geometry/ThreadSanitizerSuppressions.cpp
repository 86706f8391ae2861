// libtbb is not built with ThreadSanitizer, so the synchronisation between a
// task's spawn and its execution happens out of its sight. The builder and
// the grids mark those edges for their own data, but TBB's header code (task
// objects, ranges, partitioner state, the std::atomic members TBB initialises
// plainly) and the parallel bodies reading their captures from a TBB-made
// copy are still blamed. Only reports whose innermost frame is one of those
// are dropped; a race in OptimizeDrawCall or in a grid's fill, or anything
// they call, is still reported. What libtbb
// itself does is visible only through the calls it makes to intercepted
// functions (memset on task memory it recycles between threads), which is
// why those calls are ignored too.
// libstdc++'s ctype<char>::narrow fills its cache lazily without
// synchronisation (every writer stores the same byte); std::regex narrows the
// characters of each pattern it compiles, so concurrent shader
// specialisations meet there.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libtbb.so.12\n"
           "race_top:/oneapi/tbb/\n"
           "race_top:/bits/atomic_base.h\n"
           "race_top:/c++/12/atomic\n"
           "race_top:IndexedVertexContainerBuilder<*>::FlushBuffers()::{lambda\n"
           "race_top:GridImage<*>::FillRows(*)::{lambda\n"
           "race_top:std::ctype<char>::narrow\n";
}
#endif
