#include "DemoScene.h"

#include <cmath>

namespace Korvex::App {

namespace {

constexpr std::array<std::size_t, 3> kSamples{41, 13, 13};
constexpr double kSpacing = 0.05;
constexpr double kLength = 2.0;
constexpr double kHalfSection = 0.3;
constexpr std::array<double, 3> kHeatSpot{1.3, 0.3, 0.6};
constexpr double kTipDeflection = 0.03;
constexpr float kShownDeformation = 10.0f;
constexpr float kHotCells = 60.0f;

float Temperature(double x, double y, double z) {
    const double dx = x - kHeatSpot[0], dy = y - kHeatSpot[1], dz = z - kHeatSpot[2];
    const double spot = std::exp(-(dx * dx + dy * dy + dz * dz) / (2.0 * 0.3 * 0.3));
    // Ambient 20 C; the clamp at x = 0 draws heat away from the fixed end.
    return static_cast<float>(20.0 + 70.0 * spot + 8.0 * x / kLength);
}

// Euler-Bernoulli bending under a tip load: deflection w(x) = -d (x/L)^2 (3 - x/L) / 2,
// and plane sections turn with the slope, stretching the top and squeezing the bottom.
std::array<float, 3> Displacement(double x, double z) {
    const double s = x / kLength;
    const double deflection = -kTipDeflection * s * s * (3.0 - s) / 2.0;
    const double slope = kTipDeflection * 3.0 * x * (2.0 * kLength - x) / (2.0 * kLength * kLength * kLength);
    return {static_cast<float>((z - kHalfSection) * slope), 0.0f, static_cast<float>(deflection)};
}

Layer Surface() { return Layer{}; }

Layer Edges(std::array<std::uint8_t, 4> color, float deformation) {
    Layer layer;
    layer.kind = LayerKind::Edges;
    layer.lineColor = color;
    layer.deformation = deformation;
    return layer;
}

// A plane a x + b y + c z + d >= 0 with its normal made unit length, so that
// the caps lie on it.
Rendering::ClipPlane UnitPlane(float a, float b, float c, float d) {
    const float length = std::sqrt(a * a + b * b + c * c);
    return {a / length, b / length, c / length, d / length};
}

}  // namespace

Fields::UniformField MakeDemoBlock() {
    Fields::UniformField grid;
    grid.points.dimensions = kSamples;
    grid.points.spacing = {kSpacing, kSpacing, kSpacing};
    grid.cellWalls = grid.points.Positions();
    grid.scalarsLabel = "'temperature' (C)";
    grid.vectorsName = "displacement";
    for (std::size_t k = 0; k < kSamples[2]; ++k)
        for (std::size_t j = 0; j < kSamples[1]; ++j)
            for (std::size_t i = 0; i < kSamples[0]; ++i) {
                const double x = kSpacing * static_cast<double>(i), y = kSpacing * static_cast<double>(j),
                             z = kSpacing * static_cast<double>(k);
                grid.scalars.push_back(Temperature(x, y, z));
                grid.vectors.push_back(Displacement(x, z));
            }
    return grid;
}

std::vector<DemoImage> DemoImages(const Fields::UniformField& block, std::string* error) {
    const std::array<float, 2> range = ValueRangeOf(block.scalars);
    const auto image = [&](std::string fileName, std::string title, std::string caption, std::vector<Layer> layers) {
        DemoImage demo;
        demo.fileName = std::move(fileName);
        demo.title = std::move(title);
        demo.caption = std::move(caption);
        demo.plan.valueRange = range;
        demo.plan.layers = std::move(layers);
        return demo;
    };
    std::vector<DemoImage> images;

    Layer cut = Surface();
    cut.clipPlanes = {UnitPlane(0, -1, 0, 0.3f), UnitPlane(-1, 0, -1, 2.3f)};
    images.push_back(image("demo-surface.png", "Heated steel block, cut twice",
                           "temperature on the block's surface, cut lengthwise through the heated spot (y = 0.3 m) "
                           "and across the free end's top edge (x + z = 2.3 m); caps show the inside",
                           {cut}));
    images.back().camera.azimuth = 55.0;

    images.push_back(image("demo-edges.png", "Bending under the load, shown 10 times",
                           "cell edges on the block's surface at rest (grey) and displaced 10 times by the load (blue)",
                           {Edges({175, 175, 175, 255}, 0.0f), Edges({25, 50, 170, 255}, kShownDeformation)}));
    images.back().camera.azimuth = -75.0;
    images.back().camera.elevation = 15.0;

    // The hot cells in the near half, in front of the far half of the block
    // whose cap closes it at y = 0.3 m.
    Layer hot;
    hot.kind = LayerKind::Voxels;
    hot.wireframe = true;
    hot.clipPlanes = {UnitPlane(0, -1, 0, 0.31f)};
    Layer farHalf = Surface();
    farHalf.clipPlanes = {UnitPlane(0, 1, 0, -0.3f)};
    images.push_back(image("demo-voxels.png", "Cells hotter than 60 C",
                           "cells hotter than 60 C as voxels with a wireframe (jet), in front of the far half of the "
                           "block, capped where it is cut at y = 0.3 m",
                           {hot, farHalf}));
    images.back().plan.colorMap = "jet";
    images.back().plan.voxelRange = {kHotCells, range[1]};

    Layer bent = Surface();
    bent.deformation = kShownDeformation;
    images.push_back(image("demo-probe.png", "Temperature on the bent block",
                           "the surface displaced 10 times, with its cell edges; temperature at the cross",
                           {bent, Edges({20, 20, 20, 255}, kShownDeformation)}));
    images.back().probeCentre = true;

    for (DemoImage& demo : images) {
        const std::string message = CompletePlan(demo.plan, block);
        if (!message.empty()) {
            *error = demo.fileName + ": " + message;
            return {};
        }
    }
    return images;
}

}  // namespace Korvex::App
