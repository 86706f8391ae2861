#include "ViewerWindow.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <utility>

namespace Korvex::App {

namespace {

std::string& LastGlfwError() {
    static std::string error;
    return error;
}

Modifiers ModifiersOf(int mods) { return {(mods & GLFW_MOD_SHIFT) != 0, (mods & GLFW_MOD_CONTROL) != 0}; }

ViewerWindow& Owner(GLFWwindow* window) { return *static_cast<ViewerWindow*>(glfwGetWindowUserPointer(window)); }

GLFWwindow* OpenWindow(std::uint32_t width, std::uint32_t height, const std::string& title, int api) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_CREATION_API, api);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
#ifndef NDEBUG
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
#endif
    // The frame has its own depth and stencil; the window only shows it.
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    return glfwCreateWindow(static_cast<int>(width), static_cast<int>(height), title.c_str(), nullptr, nullptr);
}

}  // namespace

std::unique_ptr<ViewerWindow> ViewerWindow::Create(std::uint32_t width, std::uint32_t height,
                                                   const std::string& title, std::string* error) {
    glfwSetErrorCallback([](int, const char* description) { LastGlfwError() = description; });
    if (glfwInit() != GLFW_TRUE) {
        *error = "ViewerWindow::Create(): no window system (" + LastGlfwError() + "); is DISPLAY set?";
        return nullptr;
    }
    std::unique_ptr<ViewerWindow> window(new ViewerWindow());
    window->window_ = OpenWindow(width, height, title, GLFW_EGL_CONTEXT_API);
    window->contextApi_ = "EGL";
    if (window->window_ == nullptr) {
        const std::string eglError = LastGlfwError();
        window->window_ = OpenWindow(width, height, title, GLFW_NATIVE_CONTEXT_API);
        window->contextApi_ = "GLX";
        if (window->window_ == nullptr) {
            *error = "ViewerWindow::Create(): no OpenGL 4.5 core context through EGL (" + eglError + ") or GLX (" +
                     LastGlfwError() + ")";
            return nullptr;
        }
    }
    GLFWwindow* handle = window->window_;
    glfwMakeContextCurrent(handle);
    glfwSwapInterval(1);
    glfwSetWindowUserPointer(handle, window.get());
    glfwSetCursorPosCallback(handle, [](GLFWwindow* w, double x, double y) {
        ViewerWindow& owner = Owner(w);
        const std::array<double, 2> scale = owner.PixelScale();
        if (owner.input_ != nullptr) owner.input_->CursorMoved(x * scale[0], y * scale[1]);
    });
    glfwSetMouseButtonCallback(handle, [](GLFWwindow* w, int button, int action, int mods) {
        ViewerWindow& owner = Owner(w);
        if (owner.input_ == nullptr || action == GLFW_REPEAT) return;
        const MouseButton which = button == GLFW_MOUSE_BUTTON_RIGHT    ? MouseButton::Right
                                  : button == GLFW_MOUSE_BUTTON_MIDDLE ? MouseButton::Middle
                                                                       : MouseButton::Left;
        owner.input_->Button(which, action == GLFW_PRESS, ModifiersOf(mods));
    });
    glfwSetScrollCallback(handle, [](GLFWwindow* w, double, double dy) {
        if (ViewerInput* input = Owner(w).input_) input->Scrolled(dy);
    });
    glfwSetCharCallback(handle, [](GLFWwindow* w, unsigned int codepoint) {
        if (ViewerInput* input = Owner(w).input_) input->Typed(static_cast<char32_t>(codepoint));
    });
    glfwSetKeyCallback(handle, [](GLFWwindow* w, int key, int, int action, int) {
        ViewerInput* input = Owner(w).input_;
        if (input == nullptr || action == GLFW_RELEASE) return;
        if (key == GLFW_KEY_LEFT) input->Pressed(SpecialKey::Left);
        if (key == GLFW_KEY_RIGHT) input->Pressed(SpecialKey::Right);
        if (key == GLFW_KEY_ESCAPE) input->Pressed(SpecialKey::Escape);
    });
    glfwSetWindowRefreshCallback(handle, [](GLFWwindow* w) { Owner(w).exposed_ = true; });
    return window;
}

ViewerWindow::~ViewerWindow() {
    if (window_ != nullptr) glfwDestroyWindow(window_);
    glfwTerminate();
}

bool ViewerWindow::TakeExposed() { return std::exchange(exposed_, false); }

std::array<double, 2> ViewerWindow::PixelScale() const {
    int width = 0, height = 0, pixelsWide = 0, pixelsHigh = 0;
    glfwGetWindowSize(window_, &width, &height);
    glfwGetFramebufferSize(window_, &pixelsWide, &pixelsHigh);
    if (width <= 0 || height <= 0) return {1.0, 1.0};
    return {double(pixelsWide) / width, double(pixelsHigh) / height};
}

std::array<std::uint32_t, 2> ViewerWindow::FramebufferSize() const {
    int width = 0, height = 0;
    glfwGetFramebufferSize(window_, &width, &height);
    return {static_cast<std::uint32_t>(std::max(width, 0)), static_cast<std::uint32_t>(std::max(height, 0))};
}

bool ViewerWindow::CloseRequested() const { return glfwWindowShouldClose(window_) == GLFW_TRUE; }

void ViewerWindow::HandleEvents(std::optional<double> timeout) {
    if (!timeout)
        glfwWaitEvents();
    else if (*timeout <= 0.0)
        glfwPollEvents();
    else
        glfwWaitEventsTimeout(*timeout);
}

void ViewerWindow::Present() { glfwSwapBuffers(window_); }

double Seconds() { return glfwGetTime(); }

}  // namespace Korvex::App
