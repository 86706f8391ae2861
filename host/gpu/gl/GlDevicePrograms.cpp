// Programs and pipeline states.

#include "GlDeviceState.h"

namespace Korvex::Rendering {

ProgramId GlDevice::CreateProgram(const ShaderStageSources& sources) {
    State& s = *state_;
    gl::ProgramBuild build = gl::BuildProgram(sources);
    if (!build.program) {
        s.programLog = "GlDevice::CreateProgram(): " + build.log;
        return ProgramId::Null();
    }
    s.programLog.clear();
    return s.programs.Insert(std::move(*build.program));
}

void GlDevice::DestroyProgram(ProgramId id) {
    State& s = *state_;
    std::optional<gl::GlProgram> program = s.programs.Remove(id);
    if (!program) return;
    if (s.currentPipeline != nullptr && s.currentPipeline->program == id) s.currentPipeline = nullptr;
    // Pipelines made by ApplyPipelineStateDesc die with their program; those
    // with ids stay until destroyed and no longer draw.
    s.appliedPipelines.RemoveProgram(id, s.shadow);
    s.DeleteProgram(*program);
}

PipelineStateId GlDevice::CreatePipelineState(const PipelineStateDesc& desc) {
    State& s = *state_;
    const gl::GlProgram* program = s.programs.Find(desc.program);
    if (program == nullptr) {
        s.Report("GlDevice::CreatePipelineState(): no program");
        return PipelineStateId::Null();
    }
    gl::PipelineBuild build = gl::BuildPipeline(desc, desc.program, *program);
    if (!build.pipeline) {
        s.Report("GlDevice::CreatePipelineState(): " + build.error);
        return PipelineStateId::Null();
    }
    return s.pipelines.Insert(std::make_unique<gl::GlPipeline>(std::move(*build.pipeline)));
}

void GlDevice::DestroyPipelineState(PipelineStateId id) {
    State& s = *state_;
    if (std::optional<std::unique_ptr<gl::GlPipeline>> pipeline = s.pipelines.Remove(id))
        s.DeletePipeline(**pipeline);
}

bool GlDevice::ApplyPipelineStateDesc(const PipelineStateDesc& desc) {
    State& s = *state_;
    const gl::GlProgram* program = s.programs.Find(desc.program);
    if (program == nullptr) {
        s.Report("GlDevice::ApplyPipelineStateDesc(): no program");
        return false;
    }
    gl::GlPipeline* pipeline = s.appliedPipelines.Find(desc);
    if (pipeline == nullptr) {
        std::string error;
        pipeline = s.appliedPipelines.Add(desc, *program, &error);
        if (pipeline == nullptr) {
            s.Report("GlDevice::ApplyPipelineStateDesc(): " + error);
            return false;
        }
    }
    s.currentPipeline = pipeline;
    s.ApplyPipeline(*pipeline);
    return true;
}

}  // namespace Korvex::Rendering
