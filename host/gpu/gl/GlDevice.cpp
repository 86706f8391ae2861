#include "GlDeviceState.h"

#include <cstring>
#include <new>

namespace Korvex::Rendering {

namespace {

#ifdef NDEBUG
constexpr bool kDebugContext = false;
#else
constexpr bool kDebugContext = true;
#endif

constexpr std::size_t kMaxDiagnostics = 256;

gl::GlLimits QueryLimits() {
    gl::GlLimits limits;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.maxTextureSize);
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &limits.max3DTextureSize);
    glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &limits.maxTextureBufferTexels);
    glGetIntegerv(GL_TEXTURE_BUFFER_OFFSET_ALIGNMENT, &limits.textureBufferOffsetAlignment);
    return limits;
}

}  // namespace

std::unique_ptr<GlDevice> GlDevice::Create(std::string* error) {
    auto state = std::make_unique<State>();
    std::string contextError;
    state->context = gl::EglContext::Create(kDebugContext, &contextError);
    if (!state->context) {
        if (error != nullptr) *error = "GlDevice::Create(): " + contextError;
        return nullptr;
    }
    state->platform = state->context->PlatformName();
    return Initialize(std::move(state), "GlDevice::Create()", error);
}

std::unique_ptr<GlDevice> GlDevice::CreateOnCurrentContext(const std::string& platform, std::string* error) {
    if (glGetString(GL_VERSION) == nullptr) {
        if (error != nullptr) *error = "GlDevice::CreateOnCurrentContext(): no OpenGL context is current";
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->platform = platform;
    return Initialize(std::move(state), "GlDevice::CreateOnCurrentContext()", error);
}

std::unique_ptr<GlDevice> GlDevice::Initialize(std::unique_ptr<State> state, const char* caller, std::string* error) {
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major < 4 || (major == 4 && minor < 5)) {
        if (error != nullptr)
            *error = std::string(caller) + ": OpenGL 4.5 needed, the driver offers " + std::to_string(major) + "." +
                     std::to_string(minor);
        return nullptr;
    }
    if (kDebugContext) {
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        // A member's lambda may name the private state type.
        glDebugMessageCallback(
            [](GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length, const GLchar* message,
               const void* user) {
                // Compiler output belongs to the program log.
                if (severity == GL_DEBUG_SEVERITY_NOTIFICATION || source == GL_DEBUG_SOURCE_SHADER_COMPILER) return;
                const std::size_t size = length >= 0 ? static_cast<std::size_t>(length) : std::strlen(message);
                static_cast<State*>(const_cast<void*>(user))
                    ->Report("GL debug output " + std::to_string(type) + "/" + std::to_string(id) + ": " +
                             std::string(message, size));
            },
            state.get());
    }
    // The host layer follows the D3D conventions: depth in [0, 1].
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    // Texel rows are tightly packed both ways.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // The one blend mode; pipelines only switch blending of target 0 on and
    // off. Alpha accumulates so that an opaque background stays opaque.
    glBlendFuncSeparatei(0, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    state->limits = QueryLimits();
    glCreateVertexArrays(1, &state->emptyVertexArray);
    return std::unique_ptr<GlDevice>(new GlDevice(std::move(state)));
}

GlDevice::GlDevice(std::unique_ptr<State> state) : state_(std::move(state)) {}

GlDevice::~GlDevice() {
    State& s = *state_;
    MakeCurrent();
    s.currentPipeline = nullptr;
    s.currentFramebuffer = nullptr;
    s.framebuffers.Clear(s.shadow);
    s.appliedPipelines.Clear(s.shadow);
    s.pipelines.Clear([&](std::unique_ptr<gl::GlPipeline>& pipeline) { s.DeletePipeline(*pipeline); });
    s.programs.Clear([&](gl::GlProgram& program) { s.DeleteProgram(program); });
    s.views.Clear([&](gl::GlView& view) { s.DeleteView(view); });
    s.images.Clear([&](gl::GlImage& image) { s.DeleteImage(image); });
    s.buffers.Clear([&](gl::GlBuffer& buffer) { s.DeleteBuffer(buffer); });
    s.samplers.Clear([&](const gl::GlSampler& sampler) { s.ReleaseSampler(sampler); });
    glDeleteVertexArrays(1, &s.emptyVertexArray);
    if (kDebugContext) glDebugMessageCallback(nullptr, nullptr);
    s.context.reset();
}

void GlDevice::State::Report(std::string message) {
    if (diagnostics.size() == kMaxDiagnostics) diagnostics.erase(diagnostics.begin());
    diagnostics.push_back(std::move(message));
}

void GlDevice::State::DeleteBuffer(gl::GlBuffer& buffer) {
    shadow.ForgetBuffer(buffer.name);
    glDeleteBuffers(1, &buffer.name);
}

void GlDevice::State::DeleteImage(gl::GlImage& image) {
    if (image.IsStaging()) {
        if (image.ByteSize() <= kMaxSpareStagingBytes) {
            spareStaging = std::move(image.staging);
            spareStagingSize = image.ByteSize();
        }
        return;
    }
    shadow.ForgetTexture(image.texture);
    glDeleteTextures(1, &image.texture);
}

std::unique_ptr<std::byte[]> GlDevice::State::TakeStagingMemory(std::size_t size) {
    if (spareStaging && spareStagingSize == size) return std::move(spareStaging);
    spareStaging.reset();
    return std::unique_ptr<std::byte[]>(new (std::nothrow) std::byte[size]);
}

void GlDevice::State::DeleteView(gl::GlView& view) {
    shadow.ForgetTexture(view.texture);
    glDeleteTextures(1, &view.texture);
}

void GlDevice::State::ReleaseSampler(const gl::GlSampler& sampler) {
    auto it = sharedSamplers.find(sampler.key);
    if (it == sharedSamplers.end() || --it->second.users != 0) return;
    shadow.ForgetSampler(it->second.name);
    glDeleteSamplers(1, &it->second.name);
    sharedSamplers.erase(it);
}

void GlDevice::State::DeleteProgram(gl::GlProgram& program) {
    shadow.ForgetProgram(program.name);
    glDeleteProgram(program.name);
}

void GlDevice::State::DeletePipeline(gl::GlPipeline& pipeline) {
    if (currentPipeline == &pipeline) currentPipeline = nullptr;
    gl::DeletePipeline(pipeline, shadow);
}

const std::string& GlDevice::LastProgramLog() const { return state_->programLog; }
const std::vector<std::string>& GlDevice::Diagnostics() const { return state_->diagnostics; }
void GlDevice::ClearDiagnostics() { state_->diagnostics.clear(); }

std::string GlDevice::Renderer() const {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return renderer != nullptr ? renderer : "";
}

const std::string& GlDevice::Platform() const { return state_->platform; }

std::size_t GlDevice::LiveObjectCount() const {
    const State& s = *state_;
    return s.buffers.Size() + s.images.Size() + s.views.Size() + s.samplers.Size() + s.programs.Size() +
           s.pipelines.Size();
}

GlCallCounters GlDevice::Counters() const { return {state_->shadow.StateCalls(), state_->draws}; }

bool GlDevice::MakeCurrent() const { return !state_->context || state_->context->MakeCurrent(); }

}  // namespace Korvex::Rendering
