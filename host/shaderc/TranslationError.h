#pragma once

#include <cstddef>
#include <string>

namespace Korvex::Rendering::ShaderCompiler {

// Thrown inside the translator and turned into Translation::error at the
// public entry point; never leaves TranslateStage.
struct TranslationError {
    std::size_t line;
    std::string message;
};

[[noreturn]] inline void Fail(std::size_t line, std::string message) {
    throw TranslationError{line, std::move(message)};
}

}  // namespace Korvex::Rendering::ShaderCompiler
