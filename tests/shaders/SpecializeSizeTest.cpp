#include "shaders/Specialize.h"

#include <gtest/gtest.h>

#include <string>

namespace Korvex::Rendering::detail {
namespace {

// One pass and no recursion: a 60,000-character section, a 4 MiB one and
// 4 MiB of small ones come out as at a few lines, kept and removed.
TEST(SpecializeShader, LongSectionsAndMultiMegabyteTemplates) {
    for (const auto& [sectionBytes, sections] : {std::pair<std::size_t, int>{60000, 1}, {4 << 20, 1}, {1024, 4096}}) {
        std::string contents, text, kept, removed;
        while (contents.size() < sectionBytes) contents += "$1 x;\n";
        for (int i = 0; i < sections; ++i) {
            text += "a[PLANE_COUNT]<CLIPPING>" + contents + "</CLIPPING>\n";
            kept += "a[2]" + contents + "\n";
            removed += "a[0]\n";
        }
        EXPECT_EQ(SpecializeShader(text, 2, {}), kept) << sectionBytes;
        EXPECT_EQ(SpecializeShader(text, 0, {}), removed) << sectionBytes;
    }
}

}  // namespace
}  // namespace Korvex::Rendering::detail
