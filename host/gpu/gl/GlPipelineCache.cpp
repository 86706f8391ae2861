#include "GlPipelineCache.h"

#include <cstring>

namespace Korvex::Rendering::gl {

namespace {

PipelineStateDesc WithoutNames(const PipelineStateDesc& desc) {
    PipelineStateDesc copy = desc;
    for (VertexAttribute& attribute : copy.vertexInput) attribute.name = nullptr;
    return copy;
}

}  // namespace

// The description has no padding bytes, so equal fields mean equal bytes.
bool GlPipelineCache::Entry::Matches(const PipelineStateDesc& other) const {
    const PipelineStateDesc unnamed = WithoutNames(other);
    if (std::memcmp(&desc, &unnamed, sizeof(desc)) != 0) return false;
    for (std::size_t i = 0; i < kMaxVertexAttributes; ++i) {
        const char* name = other.vertexInput[i].name;
        if ((name != nullptr) != named[i] || (name != nullptr && names[i] != name)) return false;
    }
    return true;
}

GlPipeline* GlPipelineCache::Find(const PipelineStateDesc& desc) {
    auto bucket = entries_.find(HashPipelineDescription(desc));
    if (bucket == entries_.end()) return nullptr;
    for (Entry& entry : bucket->second)
        if (entry.Matches(desc)) return entry.pipeline.get();
    return nullptr;
}

GlPipeline* GlPipelineCache::Add(const PipelineStateDesc& desc, const GlProgram& program, std::string* error) {
    PipelineBuild build = BuildPipeline(desc, desc.program, program);
    if (!build.pipeline) {
        *error = build.error;
        return nullptr;
    }
    Entry entry;
    entry.desc = WithoutNames(desc);
    for (std::size_t i = 0; i < kMaxVertexAttributes; ++i) {
        entry.named[i] = desc.vertexInput[i].name != nullptr;
        if (entry.named[i]) entry.names[i] = desc.vertexInput[i].name;
    }
    entry.pipeline = std::make_unique<GlPipeline>(std::move(*build.pipeline));
    std::vector<Entry>& bucket = entries_[HashPipelineDescription(desc)];
    bucket.push_back(std::move(entry));
    return bucket.back().pipeline.get();
}

void GlPipelineCache::RemoveProgram(ProgramId program, GlStateShadow& shadow) {
    for (auto bucket = entries_.begin(); bucket != entries_.end();) {
        std::erase_if(bucket->second, [&](Entry& entry) {
            if (!(entry.pipeline->program == program)) return false;
            DeletePipeline(*entry.pipeline, shadow);
            return true;
        });
        bucket = bucket->second.empty() ? entries_.erase(bucket) : std::next(bucket);
    }
}

void GlPipelineCache::Clear(GlStateShadow& shadow) {
    for (auto& [hash, bucket] : entries_)
        for (Entry& entry : bucket) DeletePipeline(*entry.pipeline, shadow);
    entries_.clear();
}

std::size_t GlPipelineCache::Size() const {
    std::size_t size = 0;
    for (const auto& [hash, bucket] : entries_) size += bucket.size();
    return size;
}

}  // namespace Korvex::Rendering::gl
