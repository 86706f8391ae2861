#pragma once

// korvex-view's picture on the window's device: the planned data on the
// GPU, the offscreen frame with its overlay, the camera, the cut and the
// deformation, changed by the controls and drawn again only when something
// changed.

#include "EasedValue.h"
#include "ViewedData.h"
#include "ViewerCamera.h"
#include "ViewerCut.h"
#include "ViewerInput.h"

#include <GlDevice.h>
#include <GpuScene.h>
#include <OffscreenFrame.h>
#include <Overlay.h>
#include <PictureCompositor.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Korvex::App {

class ViewerSession final : public ViewerControls {
public:
    // Null and *error when the device refuses the targets or the meshes, or
    // the font is missing.
    static std::unique_ptr<ViewerSession> Create(Rendering::GlDevice& device, std::unique_ptr<ViewedData> data,
                                                 std::uint32_t width, std::uint32_t height, std::string* error);
    ~ViewerSession() override;

    void Orbit(double dx, double dy) override;
    void Pan(double dx, double dy) override;
    void Zoom(double steps, double x, double y) override;
    void MoveCut(double dx, double dy) override;
    void PointAt(double x, double y) override;
    void Dragging(bool on) override;
    void Run(ViewerCommand command, std::optional<Rendering::ViewPreset> preset) override;

    // A screenshot at the next frame, to path; empty: the next numbered file.
    void RequestScreenshot(std::string path);
    // Prints the frame count and mean frame time of each drag (scripts do).
    void ReportDrags() { reportDrags_ = true; }

    // New targets for the window's new framebuffer size; none while it has
    // no area.
    bool Resize(std::uint32_t width, std::uint32_t height, std::string* error);
    // Runs animations up to now (seconds); true while one still runs.
    bool Advance(double now);
    // The window must be shown anew (it was exposed).
    void Invalidate() { presentDue_ = true; }
    bool NeedsFrame() const;
    // Draws what changed into the window's back buffer and writes the
    // screenshots asked for; false and *error when one cannot be written.
    bool DrawFrame(std::string* error);
    // How long the last frame took to draw and show, for the frame rate
    // shown while dragging.
    void FrameTook(double seconds);
    bool QuitRequested() const { return quit_; }

private:
    ViewerSession(Rendering::GlDevice& device, std::unique_ptr<ViewedData> data, const ViewerCamera& camera);
    std::string MakeScene();
    void ApplyClipPlanes();
    void FitRange();
    void Deform(double steps);
    void ShowStep(std::size_t step);
    // The probed value under the cursor, or empty when nothing is drawn there.
    std::string Readout() const;
    std::vector<std::string> StatusLines() const;
    void ComposeOverlay(const Rendering::OverlayDesc& desc, const Rendering::PixelRect& area);
    bool WriteScreenshots(std::string* error);

    Rendering::GlDevice& device_;
    std::unique_ptr<ViewedData> data_;
    std::string fontPath_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::unique_ptr<Rendering::OffscreenFrame> frame_;
    std::unique_ptr<Rendering::PictureCompositor> compositor_;
    std::unique_ptr<Rendering::Overlay> overlay_;
    std::unique_ptr<GpuScene> scene_;
    std::vector<std::uint8_t> overlayTexels_;

    ViewedSubject subject_;
    ViewerCamera camera_;
    Rendering::ViewMatrices matrices_;
    Rendering::PictureRegion region_;
    ViewerCut cut_;
    EasedValue deformation_{0.0};
    double deformationShown_ = 0.0;
    double deformationStep_ = 0.0;  // 0: nothing to deform by
    double now_ = 0.0;
    double cursor_[2] = {0.0, 0.0};

    bool help_ = false;
    bool dragging_ = false;
    bool reportDrags_ = false;
    std::size_t dragFrames_ = 0;
    double dragSeconds_ = 0.0;
    double lastFrameSeconds_ = 0.0;
    std::string message_;
    std::vector<std::string> screenshots_;
    std::uint32_t screenshotCount_ = 0;

    bool sceneDue_ = true;
    bool overlayDue_ = true;
    bool presentDue_ = true;
    bool quit_ = false;
};

}  // namespace Korvex::App
