// A draw whose program and pipeline state are cached allocates nothing.
// Its own executable: it links the counting global allocation functions.

#include "LineRecordingScene.h"

#include <AllocationCounter.h>

#include <gtest/gtest.h>

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

        const std::size_t before = test_support::AllocationCount();
        mesh->Draw(nullptr, pass, cache, nullptr);
        mesh->Draw(nullptr, pass, cache, nullptr);
        EXPECT_EQ(test_support::AllocationCount() - before, 0u);
        device.SetRecording(true);
    }
}

}  // namespace
}  // namespace Korvex::Rendering::linetest
