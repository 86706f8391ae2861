#include "EglContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <string_view>
#include <vector>

namespace Korvex::Rendering::gl {

namespace {

static_assert(sizeof(EGLDisplay) == sizeof(void*) && sizeof(EGLContext) == sizeof(void*));

bool HasExtension(const char* list, std::string_view name) {
    if (list == nullptr) return false;
    std::string_view rest(list);
    while (!rest.empty()) {
        const std::size_t end = rest.find(' ');
        if (rest.substr(0, end) == name) return true;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

template <class F>
F LoadEgl(const char* name) {
    return reinterpret_cast<F>(eglGetProcAddress(name));
}

// EGL hands every caller the same display for a platform and device, so
// eglTerminate would end the contexts of other devices on it; Mesa also
// keeps driver state past it and reloads the driver on the next initialise.
// An initialised display therefore lives as long as the process.
bool InitializeDisplay(EGLDisplay display) {
    return display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr) == EGL_TRUE;
}

EGLContext CreateCoreContext(EGLDisplay display, bool debug, std::string* failure) {
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!HasExtension(extensions, "EGL_KHR_surfaceless_context")) {
        *failure = "the display offers no surfaceless contexts";
        return EGL_NO_CONTEXT;
    }
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        *failure = "the display offers no desktop OpenGL";
        return EGL_NO_CONTEXT;
    }
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
        EGLint count = 0;
        if (eglChooseConfig(display, configAttributes, &config, 1, &count) != EGL_TRUE || count == 0) {
            *failure = "the display has no OpenGL configuration";
            return EGL_NO_CONTEXT;
        }
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        4,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        5,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_CONTEXT_OPENGL_DEBUG,
                                        debug ? EGL_TRUE : EGL_FALSE,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) *failure = "no OpenGL 4.5 core context (EGL error " + std::to_string(eglGetError()) + ")";
    return context;
}

struct Candidate {
    EGLDisplay display;
    const char* platform;
};

// Hardware devices first; Mesa's software device is left to the
// surfaceless platform, which reaches the same driver.
std::vector<Candidate> FindCandidates(const char* clientExtensions) {
    std::vector<Candidate> candidates;
    auto getPlatformDisplay = LoadEgl<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (getPlatformDisplay == nullptr) return candidates;

    if (HasExtension(clientExtensions, "EGL_EXT_device_enumeration") &&
        HasExtension(clientExtensions, "EGL_EXT_platform_device")) {
        auto queryDevices = LoadEgl<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
        auto queryDeviceString = LoadEgl<PFNEGLQUERYDEVICESTRINGEXTPROC>("eglQueryDeviceStringEXT");
        EGLint count = 0;
        if (queryDevices != nullptr && queryDeviceString != nullptr && queryDevices(0, nullptr, &count) == EGL_TRUE &&
            count > 0) {
            std::vector<EGLDeviceEXT> devices(static_cast<std::size_t>(count));
            queryDevices(count, devices.data(), &count);
            for (EGLint i = 0; i < count; ++i) {
                EGLDeviceEXT device = devices[static_cast<std::size_t>(i)];
                if (HasExtension(queryDeviceString(device, EGL_EXTENSIONS), "EGL_MESA_device_software")) continue;
                candidates.push_back({getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr), "device"});
            }
        }
    }
    if (HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
        candidates.push_back(
            {getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr), "surfaceless"});
    return candidates;
}

}  // namespace

std::unique_ptr<EglContext> EglContext::Create(bool debug, std::string* error) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    std::string failures;
    for (const Candidate& candidate : FindCandidates(clientExtensions)) {
        if (!InitializeDisplay(candidate.display)) {
            failures += std::string(" ") + candidate.platform + ": initialisation failed;";
            continue;
        }
        std::string failure;
        EGLContext context = CreateCoreContext(candidate.display, debug, &failure);
        if (context != EGL_NO_CONTEXT &&
            eglMakeCurrent(candidate.display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) != EGL_TRUE) {
            failure = "the context cannot be made current";
            eglDestroyContext(candidate.display, context);
            context = EGL_NO_CONTEXT;
        }
        if (context == EGL_NO_CONTEXT) {
            failures += std::string(" ") + candidate.platform + ": " + failure + ";";
            continue;
        }
        std::unique_ptr<EglContext> result(new EglContext());
        result->display_ = candidate.display;
        result->context_ = context;
        result->platform_ = candidate.platform;
        return result;
    }
    if (error != nullptr) {
        *error = failures.empty()
                     ? "EglContext::Create(): EGL offers neither a GPU device nor the surfaceless platform"
                     : "EglContext::Create(): no usable EGL platform:" + failures;
    }
    return nullptr;
}

EglContext::~EglContext() {
    if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
}

bool EglContext::MakeCurrent() const {
    if (eglGetCurrentContext() == context_) return true;
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

}  // namespace Korvex::Rendering::gl
