#pragma once

#include <string>

namespace Korvex::Rendering {

// The file of DejaVu Sans (Debian's fonts-dejavu-core): where fontconfig
// finds that family, else the first of Debian's fixed paths that exists.
// Empty and *error when there is none.
std::string FindSansFont(std::string* error);

}  // namespace Korvex::Rendering
