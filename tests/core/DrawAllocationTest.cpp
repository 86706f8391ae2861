// Draws whose programs and pipelines are in the cache allocate nothing, the
// capped sequence included. Its own executable: it links the counting global
// allocation functions.

#include <AllocationCounter.h>
#include <MeshScene.h>

namespace Korvex::Rendering::test_support {
namespace {

using DrawAllocationTest = MeshScene;

TEST_F(DrawAllocationTest, CachedDrawsOfEveryMeshAllocateNothing) {
    const std::shared_ptr<IScalarGrid> values = MakeValues(device);
    const std::shared_ptr<IVectorGrid> displacements = MakeDisplacements(device);
    const std::vector<ClipPlane> planes = PlanesAcrossX(3);

    // Every variant a mesh may draw with: deformed, clipped, capped, wireframe.
    std::unique_ptr<ILineGridMesh> line = CreateLineGridMesh(device);
    line->SetGeometry(MakeGeometry(device, 2));
    std::unique_ptr<ITriangleGridMesh> capped = CreateTriangleGridMesh(device), deformed = CreateTriangleGridMesh(device);
    std::unique_ptr<IVoxelGridMesh> voxels = CreateVoxelGridMesh(device);
    voxels->SetVoxels(std::vector<std::uint32_t>{0u, 1u});
    voxels->SetWireframe(true);
    const auto attach = [&](auto& mesh, float deformation) {
        mesh.SetGrids(values, displacements, kUnitBox);
        mesh.SetClipPlanes(planes);
        mesh.SetDeformation(deformation);
    };
    capped->SetGeometry(MakeGeometry(device, 3));
    deformed->SetGeometry(MakeGeometry(device, 3));
    attach(*line, 1.0f), attach(*capped, 0.0f), attach(*deformed, 0.5f), attach(*voxels, 1.0f);

    const std::pair<const char*, IRenderable*> meshes[] = {
        {"deformed clipped lines", line.get()}, {"capped surface", capped.get()},
        {"deformed clipped surface", deformed.get()}, {"deformed clipped wireframe voxels", voxels.get()}};
    const RenderPassDesc pass = Pass();
    for (const auto& [name, mesh] : meshes) {
        Draw(*mesh, pass);
        ASSERT_GE(device.CountOf("BindDrawCall"), 1u) << name;
        device.SetRecording(false);
        const std::size_t before = AllocationCount();
        mesh->Draw(nullptr, pass, cache, nullptr);
        EXPECT_EQ(AllocationCount() - before, 0u) << name;
        device.SetRecording(true);
    }
}

}  // namespace
}  // namespace Korvex::Rendering::test_support
