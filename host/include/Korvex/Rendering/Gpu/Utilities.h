#pragma once

#include <Korvex/Rendering/Gpu/IGpu.h>
#include <Korvex/Rendering/array_view.h>

#include <cstdint>

namespace Korvex::Rendering {

// Copies size bytes to the start of the buffer; later draws see them.
void Update(BufferId buffer, IResourceFactory& factory, std::uint32_t size, const void* data);

// Writes RGBA8 texels; a zeroed SubImage means the whole image.
void FillRgbaTexture(IResourceFactory& factory, ImageId image, const SubImage& region,
                     array_view<const std::uint8_t> rgba);

// Reorders a triangle list for a FIFO post-transform cache of cacheSize
// entries (Tipsify). Safe to call from several threads on disjoint arrays.
// Anything but a triangle list with every index below vertexCount is copied
// unchanged; in and out may be the same array.
void Tipsify(const std::uint16_t* in, std::uint16_t* out, std::uint32_t indexCount, std::uint32_t vertexCount,
             std::uint32_t verticesPerPrimitive, std::uint16_t cacheSize);

}  // namespace Korvex::Rendering
