// The colour bar against the mesh it explains: a square coloured by f = x,
// drawn on llvmpipe into the part of the picture the overlay leaves free;
// each value's colour on the square is found in the bar where the value lies.

#include <FontLocation.h>
#include <NamedColorMaps.h>
#include <OffscreenFrame.h>
#include <Overlay.h>
#include <ViewFraming.h>

#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace Korvex::Rendering {
namespace {

constexpr int kWidth = 480, kHeight = 360;
constexpr std::size_t kSamples = 8;  // a side, at texel centres over [-1.2, 1.2]

TEST(ColorBarGLTest, BarShowsTheMeshColourOfEachValueWhereTheValueLies) {
    std::string error;
    std::unique_ptr<GlDevice> device = GlDevice::Create(&error);
    ASSERT_NE(device, nullptr) << error;
    std::unique_ptr<OffscreenFrame> frame =
        OffscreenFrame::Create(*device, {kWidth, kHeight, true, {1, 1, 1, 1}}, &error);
    ASSERT_NE(frame, nullptr) << error;
    const std::unique_ptr<Overlay> overlay = Overlay::Create(FindSansFont(&error), kWidth, kHeight, &error);
    ASSERT_NE(overlay, nullptr) << error;
    ColorBarDesc bar{*ColorMapTable("viridis"), {}, {}, -1.0, 1.0, false, "x"};
    const OverlayDesc desc{"", bar, ColorBarPlacement::Right, {20, 20, 20, 255}};
    const OverlayLayout layout = overlay->Layout(desc);

    const boundingbox<float, 3> box{{-1.2f, -1.2f, -1.2f}, {1.2f, 1.2f, 1.2f}};
    std::vector<float> samples;
    for (std::size_t i = 0; i < kSamples * kSamples * kSamples; ++i)
        samples.push_back(static_cast<float>(-1.2 + 2.4 * (static_cast<double>(i % kSamples) + 0.5) / kSamples));
    std::shared_ptr<IScalarGrid> values = CreateScalarGrid(*device);
    ASSERT_TRUE(values->SetValues(kSamples, kSamples, kSamples, samples));
    const auto vertex = [](float x, float y) { return VertexPN{{x, y, 0}, {0, 0, 1}}; };
    const std::vector<VertexPN> square{vertex(-1, -1), vertex(1, -1), vertex(1, 1),
                                       vertex(-1, -1), vertex(1, 1),  vertex(-1, 1)};
    std::unique_ptr<ITriangleGridMesh> mesh = CreateTriangleGridMesh(*device);
    mesh->SetGeometry(BuildTriangleGeometry(*device, square, box));
    mesh->SetGrids(values, nullptr, box);
    mesh->SetColorMap(bar.gradient);
    mesh->SetValueRange(-1.0f, 1.0f);
    const std::vector<KxVector3d> corners{{-1, -1, 0}, {1, 1, 0}};
    const PixelRect& scene = layout.scene;
    const ViewMatrices camera = FrameView(corners, ViewDirectionOf(ViewPreset::MinusZ), Framing{true},
                                          {double(scene.x), double(scene.y), double(scene.width), double(scene.height)},
                                          kWidth, kHeight);
    mesh->SetViewProjection(camera.view, camera.projection);
    frame->Clear();
    IRenderable* const renderables[] = {mesh.get()};
    frame->Draw(renderables);
    std::vector<std::uint8_t> picture = frame->ReadColor();
    const std::vector<float> probes = frame->ReadProbeValue();
    overlay->Draw(picture, desc);
    const RgbaCanvas canvas(kWidth, kHeight, picture);

    const PixelRect strip = layout.colorBar->strip;
    std::size_t checked = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const float v = probes[static_cast<std::size_t>((kHeight - 1 - y) * kWidth + x)];
            if (std::isnan(v)) continue;
            EXPECT_LT(x, layout.colorBar->bounds.x) << "the square stays clear of the bar";
            if (std::abs(v) > 0.98f || (x + y) % 5 != 0) continue;
            // The strip pixel whose centre has value v, counted from the bottom; or a neighbour.
            const int at = static_cast<int>(std::lround((v + 1.0) / 2.0 * strip.height - 0.5));
            int best = 255;
            for (int along = at - 1; along <= at + 1; ++along) {
                const Rgba8 seen = canvas.At(x, y);
                const Rgba8 inBar = canvas.At(strip.x + strip.width / 2, strip.Bottom() - 1 - along);
                int worst = 0;
                for (std::size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(seen[c] - inBar[c]));
                best = std::min(best, worst);
            }
            // The GPU filters with 8-bit weights and rounds to bytes.
            EXPECT_LE(best, 2) << "value " << v << " at " << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 300u);
    mesh.reset();
    frame.reset();
}

}  // namespace
}  // namespace Korvex::Rendering
