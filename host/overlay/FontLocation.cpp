#include "FontLocation.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <filesystem>
#include <string_view>

namespace Korvex::Rendering {

namespace {

constexpr const char* kFamily = "DejaVu Sans";
constexpr std::array<std::string_view, 2> kFixedPaths{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                                      "/usr/share/fonts/TTF/DejaVuSans.ttf"};

// fontconfig answers its best substitute when the family is missing; only
// the family itself is taken.
std::string FontconfigMatch() {
    std::string path;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(kFamily));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        FcChar8* family = nullptr;
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
            FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
            std::string_view(reinterpret_cast<const char*>(family)) == kFamily)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return path;
}

}  // namespace

std::string FindSansFont(std::string* error) {
    std::error_code ignored;
    if (std::string path = FontconfigMatch(); !path.empty() && std::filesystem::is_regular_file(path, ignored))
        return path;
    for (const std::string_view path : kFixedPaths)
        if (std::filesystem::is_regular_file(path, ignored)) return std::string(path);
    if (error != nullptr) *error = "FindSansFont(): no DejaVu Sans font (Debian package fonts-dejavu-core)";
    return {};
}

}  // namespace Korvex::Rendering
