#pragma once

// What the viewer shows of its data: the time step read, the options as the
// keys have changed them, and the scene planned from both.

#include "DatasetSteps.h"

#include <AppOptions.h>
#include <ScenePlan.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Korvex::App {

class ViewedData {
public:
    // Reads and plans the first step; null and *error (naming the file)
    // when it cannot be drawn. A displacement array is read even without
    // --deform, so that the deformation keys have something to scale.
    static std::unique_ptr<ViewedData> Open(const RenderOptions& options, std::unique_ptr<DatasetSteps> steps,
                                            std::string* error);

    const PlannedScene& Scene() const { return scene_; }
    const RenderOptions& Options() const { return options_; }
    std::size_t Step() const { return step_; }
    std::size_t StepCount() const { return steps_->Count(); }
    std::string StepName() const { return steps_->Name(step_); }
    // The factor --deform auto would choose for the step shown: the largest
    // displacement a tenth of the box's diagonal; empty without one.
    std::optional<double> AutoDeformation() const;
    // Warnings and notes of the last step read, a line each.
    const std::vector<std::string>& Notes() const { return notes_; }

    // Each plans anew; on failure nothing changes and the message says why.
    // Another step keeps the colour range, so that steps compare.
    std::string ShowStep(std::size_t step);
    // Colours by the array after the one colouring now, over its own range.
    std::string ColorByNextArray();

    // Changes of the plan that need no planning.
    void NextColorMap();
    void SetValueRange(const std::array<float, 2>& range);

private:
    ViewedData() = default;
    std::string Replan(const RenderOptions& options, const Io::Dataset& dataset);
    // Keeps the dataset of the step planned last and its notes.
    void Took(Io::ReadResult read);

    std::unique_ptr<DatasetSteps> steps_;
    std::size_t step_ = 0;
    Io::Dataset dataset_;
    RenderOptions options_;
    PlannedScene scene_;
    std::vector<std::string> notes_;
};

// The colour map after name in ColorMapNames(), reversed if name is.
std::string NextColorMapName(const std::string& name);

}  // namespace Korvex::App
