#pragma once

#include "GlPipeline.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace Korvex::Rendering::gl {

// Pipelines made from descriptions handed to ApplyPipelineStateDesc, one per
// distinct description. Semantic names are kept as text: the caller's
// pointers need not outlive the call.
class GlPipelineCache {
public:
    GlPipelineCache() = default;
    GlPipelineCache(const GlPipelineCache&) = delete;
    GlPipelineCache& operator=(const GlPipelineCache&) = delete;

    GlPipeline* Find(const PipelineStateDesc& desc);
    // Builds and keeps a pipeline; null and *error when the description is bad.
    GlPipeline* Add(const PipelineStateDesc& desc, const GlProgram& program, std::string* error);

    // Deletes the pipelines of a destroyed program.
    void RemoveProgram(ProgramId program, GlStateShadow& shadow);
    void Clear(GlStateShadow& shadow);
    std::size_t Size() const;

private:
    struct Entry {
        PipelineStateDesc desc;  // names null; they live in names
        std::array<std::string, kMaxVertexAttributes> names;
        std::array<bool, kMaxVertexAttributes> named{};
        std::unique_ptr<GlPipeline> pipeline;

        bool Matches(const PipelineStateDesc& other) const;
    };
    std::unordered_map<std::uint64_t, std::vector<Entry>> entries_;
};

}  // namespace Korvex::Rendering::gl
