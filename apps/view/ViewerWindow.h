#pragma once

// The viewer's window (GLFW): an OpenGL 4.5 core context current on the
// creating thread, made through EGL where the system offers it, else
// through the window system's own API (GLX), and its events passed on.

#include "ViewerInput.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct GLFWwindow;

namespace Korvex::App {

class ViewerWindow {
public:
    // Null and *error when there is no display or no such context.
    static std::unique_ptr<ViewerWindow> Create(std::uint32_t width, std::uint32_t height, const std::string& title,
                                                std::string* error);
    ~ViewerWindow();
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    // "EGL" or "GLX".
    const std::string& ContextApi() const { return contextApi_; }

    // Where mouse and key events go; null drops them (a script plays).
    void SetInput(ViewerInput* input) { input_ = input; }
    // The window was exposed and must be shown anew; reset by the call.
    bool TakeExposed();

    std::array<std::uint32_t, 2> FramebufferSize() const;
    bool CloseRequested() const;
    // Handles the events that came, waiting for one first: as long as it
    // takes when timeout is empty, else at most timeout seconds (0: none).
    void HandleEvents(std::optional<double> timeout);
    void Present();

private:
    ViewerWindow() = default;
    // Framebuffer pixels per window coordinate (HiDPI screens differ).
    std::array<double, 2> PixelScale() const;

    GLFWwindow* window_ = nullptr;
    std::string contextApi_;
    ViewerInput* input_ = nullptr;
    bool exposed_ = false;
};

// Seconds since an arbitrary start, monotonic.
double Seconds();

}  // namespace Korvex::App
