#pragma once

#include <memory>
#include <string>

namespace Korvex::Rendering::gl {

// A GL 4.5 core context without any surface, current on the creating thread.
// The platform is a GPU driver's EGL device when one is offered, otherwise
// Mesa's surfaceless platform (llvmpipe on machines without a GPU).
class EglContext {
public:
    // Null and an explanation in *error when no context can be made.
    static std::unique_ptr<EglContext> Create(bool debug, std::string* error);

    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;
    ~EglContext();

    bool MakeCurrent() const;
    // "device" or "surfaceless".
    const std::string& PlatformName() const { return platform_; }

private:
    EglContext() = default;

    void* display_ = nullptr;
    void* context_ = nullptr;
    std::string platform_;
};

}  // namespace Korvex::Rendering::gl
