#include <Korvex/Rendering/StringId.h>

namespace Korvex::Rendering {

StringId::StringId(const char* name) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const char* c = name; c != nullptr && *c != '\0'; ++c) {
        h ^= static_cast<unsigned char>(*c);
        h *= 0x100000001b3ull;
    }
    value_ = h;
}

}  // namespace Korvex::Rendering
