#pragma once

// The line korvex-render prints about a picture.

#include "AppOptions.h"
#include "ScenePlan.h"

#include <UniformField.h>

#include <string>

namespace Korvex::App {

// Numbers as korvex-render prints them: 6 significant digits.
std::string Number(double value);

// "'f' of beam.vtu (10x10x10, colours viridis 0 to 1): surface; cell edges;
// view iso; colour bar right": the array and file, the samples drawn, what
// colours them (colorLabel: --color-by's array, empty for field's own), each
// layer, the view and the colour bar where one was drawn.
std::string DrawnSummary(const ScenePlan& plan, const Fields::UniformField& field, const std::string& colorLabel,
                         const std::string& name, const RenderOptions& options, bool colorBar);

}  // namespace Korvex::App
