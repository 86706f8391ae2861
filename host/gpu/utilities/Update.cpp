#include <Korvex/Rendering/Gpu/Utilities.h>

namespace Korvex::Rendering {

void Update(BufferId buffer, IResourceFactory& factory, std::uint32_t size, const void* data) {
    factory.UpdateBuffer(buffer, 0, size, data);
}

}  // namespace Korvex::Rendering
