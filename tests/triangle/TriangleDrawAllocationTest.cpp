// Draws that find their programs and pipelines in the cache allocate
// nothing, the capped sequence included. Its own executable: it links the
// counting global allocation functions.

#include "TriangleRecording.h"

#include <AllocationCounter.h>

namespace Korvex::Rendering::triangle_test {
namespace {

using TriangleDrawAllocationTest = TriangleMeshRecordingTest;

TEST_F(TriangleDrawAllocationTest, CachedDrawsAllocateNothing) {
    struct Case {
        const char* name;
        std::size_t planes;
        float deformation;
        std::size_t draws;
    };
    for (const Case c : {Case{"plain", 0, 0.0f, 1}, Case{"clipped and deformed", 3, 0.5f, 1},
                         Case{"capped", 3, 0.0f, 8}}) {
        SCOPED_TRACE(c.name);
        AttachInputs(true);
        const std::vector<ClipPlane> planes = PlanesX(c.planes);
        mesh.SetClipPlanes(planes);
        mesh.SetDeformation(c.deformation);
        Draw();
        device.ClearCalls();
        Draw();
        ASSERT_EQ(device.CountOf("BindDrawCall"), c.draws);
        device.SetRecording(false);

        const std::size_t before = test_support::AllocationCount();
        Draw();
        EXPECT_EQ(test_support::AllocationCount() - before, 0u);
        device.SetRecording(true);
    }
}

}  // namespace
}  // namespace Korvex::Rendering::triangle_test
