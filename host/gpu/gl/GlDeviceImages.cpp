// Images: creation, staging uploads, copies, writes, clears and readback.

#include "GlDeviceState.h"

#include <algorithm>
#include <bit>
#include <initializer_list>
#include <limits>
#include <new>

namespace Korvex::Rendering {

namespace {

constexpr std::uint32_t kKnownImageUsage = kImageUsageSampled | kImageUsageCpuWrite | kImageUsageCopySource |
                                           kImageUsageCopyDestination | kImageUsageColorTarget |
                                           kImageUsageDepthStencilTarget;
constexpr std::uint32_t kGpuOnlyUsage = kImageUsageSampled | kImageUsageColorTarget | kImageUsageDepthStencilTarget;
// Staging uploads go in slabs of whole slices of about this size, so that
// no single GL call handles gigabytes.
constexpr std::size_t kUploadSlabBytes = std::size_t{256} << 20;

struct Box {
    GLint x = 0, y = 0, z = 0;
    GLsizei width = 1, height = 1, depth = 1;
};

void UploadTexels(const gl::GlImage& image, GLint level, const Box& box, const void* pixels) {
    const GLenum format = image.format->pixelFormat;
    const GLenum type = image.format->pixelType;
    switch (image.target) {
        case GL_TEXTURE_1D: glTextureSubImage1D(image.texture, level, box.x, box.width, format, type, pixels); break;
        case GL_TEXTURE_2D:
            glTextureSubImage2D(image.texture, level, box.x, box.y, box.width, box.height, format, type, pixels);
            break;
        default:
            glTextureSubImage3D(image.texture, level, box.x, box.y, box.z, box.width, box.height, box.depth, format,
                                type, pixels);
            break;
    }
}

Box WholeLevel(const gl::GlImage& image, std::uint32_t level) {
    const auto extent = [&](std::uint32_t size) { return static_cast<GLsizei>(std::max(size >> level, 1u)); };
    return {0, 0, 0, extent(image.width), extent(image.height), extent(image.depth)};
}

// The region of a write, or nothing when it leaves the image. Dimensions the
// image lacks may be given as 0.
std::optional<Box> RegionOf(const gl::GlImage& image, const SubImage& region) {
    if (region.IsWholeImage()) return WholeLevel(image, 0);
    if (region.mipLevel >= image.levels) return std::nullopt;
    const Box level = WholeLevel(image, region.mipLevel);
    const bool hasHeight = image.target != GL_TEXTURE_1D;
    const bool hasDepth = image.target == GL_TEXTURE_3D;
    const std::uint32_t height = !hasHeight && region.height == 0 ? 1 : region.height;
    const std::uint32_t depth = !hasDepth && region.depth == 0 ? 1 : region.depth;
    const auto fits = [](std::uint32_t start, std::uint32_t size, GLsizei limit) {
        return size > 0 && std::uint64_t{start} + size <= static_cast<std::uint64_t>(limit);
    };
    if (!fits(region.x, region.width, level.width) || !fits(region.y, height, level.height) ||
        !fits(region.z, depth, level.depth))
        return std::nullopt;
    return Box{static_cast<GLint>(region.x), static_cast<GLint>(region.y), static_cast<GLint>(region.z),
               static_cast<GLsizei>(region.width), static_cast<GLsizei>(height), static_cast<GLsizei>(depth)};
}

std::string Describe(const ImageDesc& desc) {
    return std::to_string(desc.width) + "x" + std::to_string(desc.height) + "x" + std::to_string(desc.depth) +
           " format " + std::to_string(desc.format) + " usage " + std::to_string(desc.usage);
}

// Why a description cannot be made, or empty.
std::string CheckDesc(const ImageDesc& desc, const gl::ImageFormat* format, const gl::GlLimits& limits) {
    if (format == nullptr) return "unsupported format " + std::to_string(desc.format);
    if (desc.usage == 0 || (desc.usage & ~kKnownImageUsage) != 0) return "unsupported usage " + std::to_string(desc.usage);
    if (desc.width == 0 || (desc.height == 0 && desc.depth != 0)) return "no 1D, 2D or 3D image has size " + Describe(desc);
    if (desc.arraySize > 1) return "image arrays are not supported";
    const bool is3D = desc.depth != 0;
    const auto maxSize = static_cast<std::uint32_t>(is3D ? limits.max3DTextureSize : limits.maxTextureSize);
    if (desc.width > maxSize || desc.height > maxSize || desc.depth > maxSize) return "too large: " + Describe(desc);
    const std::uint32_t largest = std::max({desc.width, desc.height, desc.depth});
    if (desc.mipLevels > static_cast<std::uint32_t>(std::bit_width(largest)))
        return std::to_string(desc.mipLevels) + " mip levels for " + Describe(desc);
    const bool staging = (desc.usage & kImageUsageCpuWrite) != 0;
    if (staging && ((desc.usage & kGpuOnlyUsage) != 0 || desc.mipLevels > 1))
        return "a CPU-writable image is a single-level copy source only";
    const bool targets = (desc.usage & (kImageUsageColorTarget | kImageUsageDepthStencilTarget)) != 0;
    if (targets && (desc.height == 0 || is3D)) return "render targets are 2D images";
    if ((desc.usage & kImageUsageColorTarget) != 0 && !format->colorRenderable)
        return "format " + std::to_string(desc.format) + " is no colour target";
    if ((desc.usage & kImageUsageDepthStencilTarget) != 0 && !format->depthStencil)
        return "format " + std::to_string(desc.format) + " is no depth-stencil target";
    return {};
}

}  // namespace

ImageId GlDevice::CreateImage(const ImageDesc& desc) {
    State& s = *state_;
    const gl::ImageFormat* format = gl::FindImageFormat(desc.format);
    if (std::string problem = CheckDesc(desc, format, s.limits); !problem.empty()) {
        s.Report("GlDevice::CreateImage(): " + problem);
        return ImageId::Null();
    }
    gl::GlImage image;
    image.target = desc.depth != 0 ? GL_TEXTURE_3D : desc.height != 0 ? GL_TEXTURE_2D : GL_TEXTURE_1D;
    image.width = desc.width;
    image.height = std::max(desc.height, 1u);
    image.depth = std::max(desc.depth, 1u);
    image.levels = std::max(desc.mipLevels, 1u);
    image.usage = desc.usage;
    image.formatCode = desc.format;
    image.format = format;

    if ((desc.usage & kImageUsageCpuWrite) != 0) {
        // MapImage reports the pitches in 32 bits.
        if (image.SlicePitch() > std::numeric_limits<std::uint32_t>::max()) {
            s.Report("GlDevice::CreateImage(): staging pitches beyond 32 bits: " + Describe(desc));
            return ImageId::Null();
        }
        image.staging = s.TakeStagingMemory(image.ByteSize());
        if (!image.staging) {
            s.Report("GlDevice::CreateImage(): no memory for a staging image of " + Describe(desc));
            return ImageId::Null();
        }
        return s.images.Insert(std::move(image));
    }
    // Errors raised before are no concern of this image.
    while (glGetError() != GL_NO_ERROR) {
    }
    glCreateTextures(image.target, 1, &image.texture);
    const auto levels = static_cast<GLsizei>(image.levels);
    const auto w = static_cast<GLsizei>(image.width), h = static_cast<GLsizei>(image.height),
               d = static_cast<GLsizei>(image.depth);
    switch (image.target) {
        case GL_TEXTURE_1D: glTextureStorage1D(image.texture, levels, format->internalFormat, w); break;
        case GL_TEXTURE_2D: glTextureStorage2D(image.texture, levels, format->internalFormat, w, h); break;
        default: glTextureStorage3D(image.texture, levels, format->internalFormat, w, h, d); break;
    }
    // Drivers refuse storage beyond their memory or their own limits (llvmpipe
    // holds at most 2 GiB per texture): the image does not exist then.
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &image.texture);
        s.Report("GlDevice::CreateImage(): the driver refused storage for " + Describe(desc));
        return ImageId::Null();
    }
    return s.images.Insert(std::move(image));
}

void GlDevice::DestroyImage(ImageId id) {
    State& s = *state_;
    std::optional<gl::GlImage> image = s.images.Remove(id);
    if (!image) return;
    s.framebuffers.RemoveImage(id, s.shadow);
    if (std::find(s.currentTargets.begin(), s.currentTargets.end(), id) != s.currentTargets.end())
        s.currentFramebuffer = nullptr;
    s.DeleteImage(*image);
}

ImageInfo GlDevice::GetImageInfo(ImageId id) const {
    const gl::GlImage* image = state_->images.Find(id);
    return image != nullptr ? ImageInfo{image->width, image->height} : ImageInfo{};
}

MappedImage GlDevice::MapImage(ImageId id, std::uint32_t subresource, std::uint32_t mode) {
    State& s = *state_;
    gl::GlImage* image = s.images.Find(id);
    if (image == nullptr) return {};
    if (!image->IsStaging() || subresource != 0 || mode != kMapWrite || image->mapped) {
        s.Report("GlDevice::MapImage(): only an unmapped staging image is mapped, subresource 0, for writing");
        return {};
    }
    image->mapped = true;
    return {image->staging.get(), static_cast<std::uint32_t>(image->RowPitch()),
            static_cast<std::uint32_t>(image->SlicePitch())};
}

void GlDevice::UnmapImage(ImageId id, std::uint32_t subresource) {
    gl::GlImage* image = state_->images.Find(id);
    if (image == nullptr || !image->mapped || subresource != 0) return;
    image->mapped = false;
}

void GlDevice::CopyImage(ImageId sourceId, ImageId destinationId) {
    State& s = *state_;
    const gl::GlImage* source = s.images.Find(sourceId);
    const gl::GlImage* destination = s.images.Find(destinationId);
    if (source == nullptr || destination == nullptr) return;
    const char* problem = nullptr;
    if ((source->usage & kImageUsageCopySource) == 0 || (destination->usage & kImageUsageCopyDestination) == 0)
        problem = "the images are not made for copies";
    else if (destination->IsStaging())
        problem = "a staging image is no copy destination";
    else if (source->mapped)
        problem = "the source is still mapped";
    else if (source->formatCode != destination->formatCode || source->width != destination->width ||
             source->height != destination->height || source->depth != destination->depth ||
             source->target != destination->target)
        problem = "the images differ in format or size";
    if (problem != nullptr) {
        s.Report(std::string("GlDevice::CopyImage(): ") + problem);
        return;
    }
    const Box box = WholeLevel(*destination, 0);
    if (source->IsStaging()) {
        const std::size_t slicePitch = source->SlicePitch();
        const auto slabSlices = static_cast<GLsizei>(std::max<std::size_t>(kUploadSlabBytes / slicePitch, 1));
        for (Box slab = box; slab.z < box.depth; slab.z += slab.depth) {
            slab.depth = std::min(slabSlices, box.depth - slab.z);
            UploadTexels(*destination, 0, slab, source->staging.get() + std::size_t(slab.z) * slicePitch);
        }
        return;
    }
    glCopyImageSubData(source->texture, source->target, 0, 0, 0, 0, destination->texture, destination->target, 0, 0,
                       0, 0, box.width, box.height, box.depth);
}

bool GlDevice::WriteImage(ImageId id, const SubImage& region, const void* data, std::size_t size) {
    State& s = *state_;
    const gl::GlImage* image = s.images.Find(id);
    if (image == nullptr) return false;
    if (image->IsStaging()) {
        s.Report("GlDevice::WriteImage(): staging images are written through MapImage");
        return false;
    }
    const std::optional<Box> box = RegionOf(*image, region);
    if (!box) {
        s.Report("GlDevice::WriteImage(): the region leaves the image");
        return false;
    }
    const std::size_t needed = std::size_t(box->width) * std::size_t(box->height) * std::size_t(box->depth) *
                               image->format->texelSize;
    if (data == nullptr || size < needed) {
        s.Report("GlDevice::WriteImage(): " + std::to_string(size) + " bytes for a region of " +
                 std::to_string(needed));
        return false;
    }
    UploadTexels(*image, static_cast<GLint>(region.IsWholeImage() ? 0 : region.mipLevel), *box, data);
    return true;
}

bool GlDevice::ClearImage(ImageId id, const std::array<float, 4>& value) {
    State& s = *state_;
    const gl::GlImage* image = s.images.Find(id);
    if (image == nullptr || image->IsStaging() || image->format->depthStencil) {
        s.Report("GlDevice::ClearImage(): not a colour image");
        return false;
    }
    // Clears the texels directly: no framebuffer, and no write mask applies.
    glClearTexImage(image->texture, 0, GL_RGBA, GL_FLOAT, value.data());
    return true;
}

namespace {

template <class T>
std::vector<T> ReadTexels(const gl::GlImage* image, std::initializer_list<std::uint32_t> formats, GLenum pixelFormat,
                          GLenum pixelType) {
    if (image == nullptr || image->IsStaging() ||
        std::find(formats.begin(), formats.end(), image->formatCode) == formats.end())
        return {};
    std::vector<T> texels(image->ByteSize() / sizeof(T));
    glGetTextureImage(image->texture, 0, pixelFormat, pixelType, static_cast<GLsizei>(texels.size() * sizeof(T)),
                      texels.data());
    return texels;
}

}  // namespace

std::vector<std::uint8_t> GlDevice::ReadRgba8(ImageId id) const {
    return ReadTexels<std::uint8_t>(state_->images.Find(id), {kFormatRgba8Unorm}, GL_RGBA, GL_UNSIGNED_BYTE);
}

std::vector<float> GlDevice::ReadFloats(ImageId id) const {
    const gl::GlImage* image = state_->images.Find(id);
    const GLenum layout = image != nullptr && image->formatCode == kFormatRgba32Float ? GL_RGBA : GL_RED;
    return ReadTexels<float>(image, {kFormatR32Float, kFormatRgba32Float}, layout, GL_FLOAT);
}

std::optional<float> GlDevice::ReadFloatTexel(ImageId id, std::uint32_t x, std::uint32_t y) const {
    const gl::GlImage* image = state_->images.Find(id);
    if (image == nullptr || image->IsStaging() || image->formatCode != kFormatR32Float || x >= image->width ||
        y >= image->height || image->depth > 1)
        return std::nullopt;
    float value = 0.0f;
    glGetTextureSubImage(image->texture, 0, static_cast<GLint>(x), static_cast<GLint>(y), 0, 1, 1, 1, GL_RED,
                         GL_FLOAT, sizeof value, &value);
    return value;
}

bool GlDevice::BlitToDefaultFramebuffer(ImageId id, std::uint32_t width, std::uint32_t height) {
    State& s = *state_;
    const gl::GlImage* image = s.images.Find(id);
    if (image == nullptr || image->formatCode != kFormatRgba8Unorm) {
        s.Report("GlDevice::BlitToDefaultFramebuffer(): not an RGBA8 colour target");
        return false;
    }
    gl::TargetIds targets{};
    targets[kTargetColor] = id;
    const gl::GlFramebuffer* framebuffer = s.AcquireFramebuffer(targets, "GlDevice::BlitToDefaultFramebuffer()");
    if (framebuffer == nullptr) return false;
    // Named blits bind nothing, and of the fragment operations only the
    // scissor test (never enabled here) applies to them.
    glBlitNamedFramebuffer(framebuffer->name, 0, 0, 0, framebuffer->width, framebuffer->height, 0, 0,
                           static_cast<GLint>(width), static_cast<GLint>(height), GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return true;
}

DepthStencilTexels GlDevice::ReadDepthStencil(ImageId id) const {
    const std::vector<std::uint32_t> packed = ReadTexels<std::uint32_t>(
        state_->images.Find(id), {kFormatDepth24Stencil8}, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8);
    DepthStencilTexels texels;
    texels.depth.reserve(packed.size());
    texels.stencil.reserve(packed.size());
    for (std::uint32_t value : packed) {
        // Depth in the high 24 bits, stencil in the low 8.
        texels.depth.push_back(static_cast<float>(value >> 8) / 16777215.0f);
        texels.stencil.push_back(static_cast<std::uint8_t>(value & 0xFF));
    }
    return texels;
}

}  // namespace Korvex::Rendering
