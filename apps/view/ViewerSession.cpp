#include "ViewerSession.h"

#include "ViewerText.h"

#include <Camera.h>
#include <DrawnSummary.h>
#include <FontLocation.h>
#include <PictureOverlay.h>
#include <PngFile.h>

#include <cmath>
#include <iostream>

namespace Korvex::App {

namespace {

using Rendering::KxVector3d;

// The 1, 2 or 5 times a power of ten nearest below value > 0: steps that
// read well.
double RoundStep(double value) {
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double mantissa : {5.0, 2.0})
        if (value >= mantissa * power) return mantissa * power;
    return power;
}

CameraChoice ChoiceOf(const RenderOptions& options) {
    return {options.view, options.azimuth, options.elevation, options.orthographic, options.zoom};
}

Rendering::Rgba8 Backdrop(const std::array<float, 4>& background) {
    Rendering::Rgba8 color{};
    for (std::size_t c = 0; c < 3; ++c) color[c] = static_cast<std::uint8_t>(std::lround(background[c] * 255.0f));
    color[3] = 210;  // the picture shows through a little
    return color;
}

}  // namespace

ViewerSession::ViewerSession(Rendering::GlDevice& device, std::unique_ptr<ViewedData> data, const ViewerCamera& camera)
    : device_(device), data_(std::move(data)), camera_(camera) {}

// The meshes go before the frame, whose cache holds their programs.
ViewerSession::~ViewerSession() { scene_.reset(); }

std::unique_ptr<ViewerSession> ViewerSession::Create(Rendering::GlDevice& device, std::unique_ptr<ViewedData> data,
                                                     std::uint32_t width, std::uint32_t height, std::string* error) {
    const RenderOptions& options = data->Options();
    const PlannedScene& planned = data->Scene();
    const ViewerCamera camera(ViewDirectionFor(ChoiceOf(options), planned.plan.layout), ChoiceOf(options));
    std::unique_ptr<ViewerSession> session(new ViewerSession(device, std::move(data), camera));
    ViewerSession& s = *session;
    s.fontPath_ = Rendering::FindSansFont(error);
    if (s.fontPath_.empty()) return nullptr;
    s.frame_ = Rendering::OffscreenFrame::Create(device, {width, height, true, options.background}, error);
    if (!s.frame_) return nullptr;
    s.compositor_ = Rendering::PictureCompositor::Create(device, width, height, error);
    if (!s.compositor_) return nullptr;
    s.overlay_ = Rendering::Overlay::Create(s.fontPath_, static_cast<int>(width), static_cast<int>(height), error);
    if (!s.overlay_) return nullptr;
    s.width_ = width;
    s.height_ = height;
    s.subject_ = SubjectOf(planned.plan, planned.made.field);
    const double initial = options.deformation.value_or(0.0f);
    s.deformation_ = EasedValue(initial);
    s.deformationShown_ = initial;
    // A step of the deformation keys is --deform's factor, else about the
    // factor --deform auto would choose.
    if (initial != 0.0)
        s.deformationStep_ = std::abs(initial);
    else if (const std::optional<double> automatic = s.data_->AutoDeformation())
        s.deformationStep_ = RoundStep(*automatic);
    if (const std::string message = s.MakeScene(); !message.empty()) {
        *error = s.data_->StepName() + ": " + message;
        return nullptr;
    }
    const auto probe = options.probe.value_or(std::array<std::uint32_t, 2>{width / 2, height / 2});
    s.cursor_[0] = probe[0];
    s.cursor_[1] = probe[1];
    return session;
}

std::string ViewerSession::MakeScene() {
    std::string error;
    const PlannedScene& planned = data_->Scene();
    std::unique_ptr<GpuScene> scene = GpuScene::Create(device_, planned.plan, planned.ColorField(), &error);
    if (!scene) return error;
    scene_ = std::move(scene);
    scene_->SetDeformation(static_cast<float>(deformationShown_));
    ApplyClipPlanes();
    return {};
}

void ViewerSession::ApplyClipPlanes() {
    std::vector<Rendering::ClipPlane> planes;
    for (const std::array<float, 4>& plane : data_->Options().clipPlanes)
        planes.push_back({plane[0], plane[1], plane[2], plane[3]});
    if (cut_.On()) planes.push_back(cut_.Plane());
    scene_->SetClipPlanes(planes);
    sceneDue_ = true;
}

void ViewerSession::Orbit(double dx, double dy) {
    camera_.Orbit(dx, dy);
    sceneDue_ = true;
}

void ViewerSession::Pan(double dx, double dy) {
    camera_.Pan(dx, dy, width_, height_);
    sceneDue_ = true;
}

void ViewerSession::Zoom(double steps, double x, double y) {
    camera_.Zoom(steps, x, y, width_, height_);
    sceneDue_ = true;
}

void ViewerSession::MoveCut(double, double dy) {
    if (!cut_.On()) {
        message_ = "c turns the cut on";
        overlayDue_ = true;
        return;
    }
    cut_.Move(dy, region_.height);
    ApplyClipPlanes();
}

void ViewerSession::PointAt(double x, double y) {
    cursor_[0] = x;
    cursor_[1] = y;
    overlayDue_ = true;
}

void ViewerSession::Dragging(bool on) {
    dragging_ = on;
    overlayDue_ = true;
    if (on) {
        dragFrames_ = 0;
        dragSeconds_ = 0.0;
    } else if (reportDrags_ && dragFrames_ > 0) {
        const double milliseconds = 1000.0 * dragSeconds_ / static_cast<double>(dragFrames_);
        std::cout << "drag: " << dragFrames_ << " frames, " << Number(milliseconds) << " ms a frame\n";
    }
}

void ViewerSession::FrameTook(double seconds) {
    lastFrameSeconds_ = seconds;
    if (!dragging_) return;
    ++dragFrames_;
    dragSeconds_ += seconds;
}

void ViewerSession::Run(ViewerCommand command, std::optional<Rendering::ViewPreset> preset) {
    message_.clear();
    overlayDue_ = true;
    switch (command) {
    case ViewerCommand::ToggleHelp:
        help_ = !help_;
        break;
    case ViewerCommand::ResetView:
        camera_.Reset();
        sceneDue_ = true;
        break;
    case ViewerCommand::LookAlong:
        if (preset) camera_.LookAlong(Rendering::ViewDirectionOf(*preset));
        sceneDue_ = true;
        break;
    case ViewerCommand::ToggleCut:
        if (cut_.On())
            cut_.Remove();
        else
            cut_.Place(camera_.Direction(), subject_.framed);
        ApplyClipPlanes();
        break;
    case ViewerCommand::NextArray:
        message_ = data_->ColorByNextArray();
        if (message_.empty()) message_ = MakeScene();
        break;
    case ViewerCommand::NextColorMap:
        data_->NextColorMap();
        scene_->SetColors(data_->Scene().plan);
        sceneDue_ = true;
        break;
    case ViewerCommand::FitRange:
        FitRange();
        break;
    case ViewerCommand::DeformMore:
    case ViewerCommand::DeformLess:
        Deform(command == ViewerCommand::DeformMore ? 1.0 : -1.0);
        break;
    case ViewerCommand::PreviousStep:
    case ViewerCommand::NextStep:
        if (command == ViewerCommand::PreviousStep ? data_->Step() == 0 : data_->Step() + 1 >= data_->StepCount())
            message_ = data_->StepCount() == 1 ? "one time step only" : "no further time step";
        else
            ShowStep(command == ViewerCommand::PreviousStep ? data_->Step() - 1 : data_->Step() + 1);
        break;
    case ViewerCommand::Screenshot:
        RequestScreenshot("");
        break;
    case ViewerCommand::Quit:
        quit_ = true;
        break;
    }
}

void ViewerSession::ShowStep(std::size_t step) {
    message_ = data_->ShowStep(step);
    if (message_.empty()) message_ = MakeScene();
    for (const std::string& note : data_->Notes()) std::cerr << "korvex-view: " << note << "\n";
}

void ViewerSession::Deform(double steps) {
    if (deformationStep_ == 0.0) {
        message_ = "no array of 3 components to deform by";
        return;
    }
    deformation_.SetTarget(deformation_.Target() + steps * deformationStep_, now_);
}

void ViewerSession::FitRange() {
    const ScenePlan& plan = data_->Scene().plan;
    std::vector<float> shown;
    for (float value : frame_->ReadProbeValue()) {
        if (std::isnan(value) || std::abs(value) == Fields::kBeyondRange) continue;
        const float data = DataValue(plan, value);
        // Logarithmic colours show no value at or below 0.
        if (data > 0.0f || !plan.logarithmic) shown.push_back(data);
    }
    if (shown.empty()) {
        message_ = "nothing in view to take a range from";
        return;
    }
    data_->SetValueRange(ValueRangeOf(shown));
    // Logarithmic grids hold their values floored below the range: they are
    // made anew for the new one.
    if (plan.logarithmic)
        message_ = MakeScene();
    else
        scene_->SetColors(plan);
    sceneDue_ = true;
}

void ViewerSession::RequestScreenshot(std::string path) { screenshots_.push_back(std::move(path)); }

bool ViewerSession::Resize(std::uint32_t width, std::uint32_t height, std::string* error) {
    // A minimised window has no area: the targets it had wait for it.
    if ((width == width_ && height == height_) || width == 0 || height == 0) return true;
    if (!frame_->Resize(width, height, error) || !compositor_->Resize(width, height, error)) return false;
    overlay_ = Rendering::Overlay::Create(fontPath_, static_cast<int>(width), static_cast<int>(height), error);
    if (!overlay_) return false;
    width_ = width;
    height_ = height;
    sceneDue_ = true;
    return true;
}

bool ViewerSession::Advance(double now) {
    now_ = now;
    const double shown = deformation_.At(now);
    if (shown != deformationShown_) {
        deformationShown_ = shown;
        scene_->SetDeformation(static_cast<float>(shown));
        sceneDue_ = true;
    }
    return deformation_.Moving(now);
}

bool ViewerSession::NeedsFrame() const { return sceneDue_ || overlayDue_ || presentDue_ || !screenshots_.empty(); }

std::string ViewerSession::Readout() const {
    if (cursor_[0] < 0.0 || cursor_[1] < 0.0 || cursor_[0] >= width_ || cursor_[1] >= height_) return {};
    const auto x = static_cast<std::uint32_t>(cursor_[0]), y = static_cast<std::uint32_t>(cursor_[1]);
    const std::optional<Rendering::ProbeTexel> probe = frame_->ReadProbeAt(x, height_ - 1 - y);
    if (!probe || std::isnan(probe->value)) return {};
    const ScenePlan& plan = data_->Scene().plan;
    const float value = DataValue(plan, probe->value);
    std::string text = data_->Scene().ColorField().scalarsLabel + " = " +
                       (value > 0.0f || !plan.logarithmic ? Number(value) : "0 or below");
    // The pixel's centre, unprojected at the depth drawn there.
    const std::optional<KxVector3d> at =
        Rendering::Unproject(matrices_.projection * matrices_.view, 2.0 * (x + 0.5) / width_ - 1.0,
                             1.0 - 2.0 * (y + 0.5) / height_, probe->depth);
    if (at) text += " at (" + Number(at->x) + ", " + Number(at->y) + ", " + Number(at->z) + ")";
    return text;
}

std::vector<std::string> ViewerSession::StatusLines() const {
    std::vector<std::string> lines;
    if (!message_.empty()) lines.push_back(message_);
    if (const std::string readout = Readout(); !readout.empty()) lines.push_back(readout);
    std::string state = data_->Options().colorMap;
    if (deformationStep_ != 0.0) state += "   deformation " + Number(deformation_.Target());
    if (cut_.On()) state += "   cut " + cut_.Describe();
    if (data_->StepCount() > 1)
        state += "   step " + std::to_string(data_->Step() + 1) + " of " + std::to_string(data_->StepCount());
    lines.push_back(state + "   h: help");
    return lines;
}

void ViewerSession::ComposeOverlay(const Rendering::OverlayDesc& desc, const Rendering::PixelRect& area) {
    overlayTexels_.assign(std::size_t{width_} * height_ * 4, 0);
    overlay_->Draw(overlayTexels_, desc);
    ViewerText text;
    text.status = StatusLines();
    if (dragging_ && lastFrameSeconds_ > 0.0)
        text.corner = Number(std::round(lastFrameSeconds_ * 1e4) / 10.0) + " ms a frame (" +
                      Number(std::round(1.0 / lastFrameSeconds_)) + " per second)";
    if (help_) text.help = InputHelp();
    Rendering::RgbaCanvas canvas(static_cast<int>(width_), static_cast<int>(height_), overlayTexels_);
    DrawViewerText(canvas, overlay_->LabelFont(), text, area, desc.textColor, Backdrop(data_->Options().background));
    compositor_->SetOverlay(overlayTexels_);
}

bool ViewerSession::DrawFrame(std::string* error) {
    const RenderOptions& options = data_->Options();
    const PlannedScene& planned = data_->Scene();
    const Rendering::OverlayDesc desc = PictureOverlay(
        planned.plan, {options.title, planned.ColorField().scalarsLabel, options.colorBar, options.background});
    const Rendering::PixelRect area = overlay_->Layout(desc).scene;
    const Rendering::PictureRegion region{double(area.x), double(area.y), double(area.width), double(area.height)};
    if (region.x != region_.x || region.y != region_.y || region.width != region_.width ||
        region.height != region_.height) {
        region_ = region;
        sceneDue_ = true;
    }
    if (sceneDue_) {
        matrices_ = camera_.Matrices(subject_, deformationShown_, region_, width_, height_);
        scene_->SetCamera(matrices_.view, matrices_.projection);
        frame_->Clear();
        frame_->Draw(scene_->Renderables());
        overlayDue_ = true;
    }
    if (sceneDue_ || overlayDue_) {
        ComposeOverlay(desc, area);
        compositor_->Compose(frame_->Targets().color);
    }
    device_.BlitToDefaultFramebuffer(compositor_->Picture(), width_, height_);
    sceneDue_ = overlayDue_ = presentDue_ = false;
    return WriteScreenshots(error);
}

bool ViewerSession::WriteScreenshots(std::string* error) {
    if (screenshots_.empty()) return true;
    const std::vector<std::uint8_t> picture = device_.ReadRgba8(compositor_->Picture());
    const RenderOptions& options = data_->Options();
    const std::string base = options.outputPath.empty() ? DefaultOutputPath(options.inputPaths) : options.outputPath;
    const std::string readout = Readout();
    for (std::string& path : screenshots_) {
        if (path.empty()) path = FramePath(base, screenshotCount_++, 1000);
        if (!WritePngFile(path, width_, height_, picture, error)) {
            screenshots_.clear();
            return false;
        }
        std::cout << path << ": at pixel " << static_cast<long>(std::floor(cursor_[0])) << ","
                  << static_cast<long>(std::floor(cursor_[1])) << ": " << (readout.empty() ? "nothing drawn" : readout)
                  << "\n"
                  << std::flush;
    }
    screenshots_.clear();
    return true;
}

}  // namespace Korvex::App
