// A draw whose program and pipeline state are cached allocates nothing.
// Its own executable: it replaces the global allocation functions.

#include "LineRecordingScene.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

static std::atomic<std::size_t> allocationCount{0};

void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace Korvex::Rendering::linetest {
namespace {

class LineDrawAllocationTest : public LineRecordingScene {};

TEST_F(LineDrawAllocationTest, CachedDrawsAllocateNothing) {
    for (const bool deformed : {false, true}) {
        SCOPED_TRACE(deformed ? "deformed" : "plain");
        MakeDrawable(*mesh, deformed);
        mesh->SetDeformation(deformed ? 1.0f : 0.0f);
        const ClipPlane plane{0, 1, 0, 0};
        mesh->SetClipPlanes({&plane, 1});
        Draw();
        ASSERT_EQ(device.CountOf("DrawIndexed"), 1u);
        device.SetRecording(false);

        const std::size_t before = allocationCount.load();
        mesh->Draw(nullptr, pass, cache, nullptr);
        mesh->Draw(nullptr, pass, cache, nullptr);
        EXPECT_EQ(allocationCount.load() - before, 0u);
        device.SetRecording(true);
    }
}

}  // namespace
}  // namespace Korvex::Rendering::linetest
