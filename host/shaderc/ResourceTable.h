#pragma once

#include "Token.h"
#include "Vocabulary.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Rendering::ShaderCompiler {

// The constant buffers, textures and buffers a stage declares, and the GLSL
// for declaring and reading them. The device binds a texture and its sampler
// object to unit `slot`, a constant buffer to uniform-block binding `slot`.
class ResourceTable {
public:
    static bool IsDeclarationMacro(std::string_view name);
    static bool IsAccessMacro(std::string_view name);

    // CBUFFER(name, slot), TEXTURE_1D/2D/3D(type, name, slot),
    // BUFFER(type, name, slot); `arguments` are the single tokens between
    // the parentheses.
    std::string Declare(const Token& macro, const std::vector<Token>& arguments);

    // SAMPLE(t, coord), SAMPLE_LEVEL(t, coord, level), READ(b, index):
    // `resource` names a declared resource, `arguments` are the translated
    // remaining arguments.
    std::string Access(const Token& macro, const Token& resource, const std::vector<std::string>& arguments) const;

private:
    enum class Shape { ConstantBuffer, Texture1D, Texture2D, Texture3D, Buffer };

    struct Resource {
        Shape shape;
        std::string_view name;
        ValueType texel;
        unsigned slot;
        std::size_t line;
    };

    const Resource* Find(std::string_view name) const;
    void Register(const Resource& resource);

    std::vector<Resource> resources_;
};

}  // namespace Korvex::Rendering::ShaderCompiler
