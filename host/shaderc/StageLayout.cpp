#include "StageLayout.h"

#include "Stage.h"
#include "TranslationError.h"

#include <algorithm>
#include <initializer_list>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

enum StageBit : unsigned { kHull = 1, kDomain = 2, kGeometry = 4 };

unsigned BitOf(StageKind stage) {
    switch (stage) {
    case StageKind::Hull: return kHull;
    case StageKind::Domain: return kDomain;
    case StageKind::Geometry: return kGeometry;
    default: return 0;
    }
}

// Each attribute's stages and values; a value range where the value is a
// number.
struct AttributeRule {
    std::string_view key;
    unsigned stages;
    std::initializer_list<std::string_view> words;
    unsigned minimum = 0;
    unsigned maximum = 0;
};

// The numeric limits are the GL 4.5 minimum maxima (patch size, geometry
// output vertices, geometry invocations).
const AttributeRule kRules[] = {
    {"domain", kHull | kDomain, {"isoline", "triangle", "quad"}},
    {"spacing", kHull | kDomain, {"equal", "fractional_odd", "fractional_even"}},
    {"input_control_points", kHull | kDomain, {}, 1, 32},
    {"output_control_points", kHull | kDomain, {}, 1, 32},
    {"output_topology", kHull | kDomain | kGeometry, {"points", "lines", "triangles"}},
    {"input_topology", kGeometry, {"points", "lines", "triangles"}},
    {"max_vertices", kGeometry, {}, 1, 256},
    {"instances", kGeometry, {}, 1, 32},
};

std::string Describe(const StageAttribute& attribute) {
    return "[" + std::string(attribute.key) + " = " + std::string(attribute.value) + "]";
}

void CheckValue(const AttributeRule& rule, const StageAttribute& attribute) {
    if (rule.maximum != 0) {
        const std::optional<unsigned> number = DecimalValue(attribute.value);
        if (!number || *number < rule.minimum || *number > rule.maximum) {
            Fail(attribute.line, Describe(attribute) + ": expected a number from " + std::to_string(rule.minimum) +
                                     " to " + std::to_string(rule.maximum));
        }
        return;
    }
    if (std::find(rule.words.begin(), rule.words.end(), attribute.value) == rule.words.end()) {
        std::string expected;
        for (std::string_view word : rule.words) {
            expected += (expected.empty() ? "" : ", ") + std::string(word);
        }
        Fail(attribute.line, Describe(attribute) + ": expected one of " + expected);
    }
}

std::string_view PrimitiveMode(std::string_view domain) {
    return domain == "isoline" ? "isolines" : domain == "triangle" ? "triangles" : "quads";
}

std::string_view OutputPrimitive(std::string_view topology) {
    return topology == "points" ? "points" : topology == "lines" ? "line_strip" : "triangle_strip";
}

}  // namespace

void StageLayout::Add(const StageAttribute& attribute) {
    const auto rule = std::find_if(std::begin(kRules), std::end(kRules),
                                   [&](const AttributeRule& r) { return r.key == attribute.key; });
    if (rule == std::end(kRules)) {
        Fail(attribute.line, "unknown attribute " + Describe(attribute));
    }
    if ((rule->stages & BitOf(stage_)) == 0) {
        Fail(attribute.line, Describe(attribute) + " is not allowed in a " + std::string(StageName(stage_)) + " stage");
    }
    if (const StageAttribute* earlier = Find(attribute.key)) {
        Fail(attribute.line, "[" + std::string(attribute.key) + "] is already given on line " +
                                 std::to_string(earlier->line));
    }
    CheckValue(*rule, attribute);
    attributes_.push_back(attribute);
}

const StageAttribute* StageLayout::Find(std::string_view key) const {
    const auto found = std::find_if(attributes_.begin(), attributes_.end(),
                                    [&](const StageAttribute& a) { return a.key == key; });
    return found == attributes_.end() ? nullptr : &*found;
}

std::string_view StageLayout::Value(std::string_view key, std::string_view fallback) const {
    const StageAttribute* attribute = Find(key);
    return attribute != nullptr ? attribute->value : fallback;
}

std::string_view StageLayout::Required(std::string_view key, std::size_t endLine) const {
    const StageAttribute* attribute = Find(key);
    if (attribute == nullptr) {
        Fail(endLine, "a " + std::string(StageName(stage_)) + " stage needs [" + std::string(key) + " = ...]");
    }
    return attribute->value;
}

std::string StageLayout::Declarations(std::size_t endLine) const {
    switch (stage_) {
    case StageKind::Hull: return HullDeclarations(endLine);
    case StageKind::Domain: return DomainDeclarations(endLine);
    case StageKind::Geometry: return GeometryDeclarations(endLine);
    default: return {};
    }
}

// The primitive mode and spacing belong to the domain stage in GLSL; the hull
// keeps only the patch size.
std::string StageLayout::HullDeclarations(std::size_t endLine) const {
    return "layout(vertices = " + std::string(Required("output_control_points", endLine)) + ") out;\n";
}

std::string StageLayout::DomainDeclarations(std::size_t endLine) const {
    const std::string_view domain = Required("domain", endLine);
    const std::string_view topology = Value("output_topology", domain == "isoline" ? "lines" : "triangles");
    const bool fitsDomain = topology == "points" || (domain == "isoline") == (topology == "lines");
    if (!fitsDomain) {
        Fail(Find("output_topology")->line, "[output_topology = " + std::string(topology) +
                                                "] does not fit [domain = " + std::string(domain) + "]");
    }
    std::string qualifiers = std::string(PrimitiveMode(domain)) + ", " +
                             std::string(Value("spacing", "equal")) + "_spacing";
    // Counter-clockwise as seen with the host's lower-left clip-space origin.
    qualifiers += domain == "isoline" ? "" : ", ccw";
    qualifiers += topology == "points" ? ", point_mode" : "";
    return "layout(" + qualifiers + ") in;\n";
}

std::string StageLayout::GeometryDeclarations(std::size_t endLine) const {
    const std::string_view input = Required("input_topology", endLine);
    const std::string_view output = Required("output_topology", endLine);
    const std::string_view maxVertices = Required("max_vertices", endLine);
    const StageAttribute* instances = Find("instances");
    std::string text = "layout(" + std::string(input);
    text += instances != nullptr ? ", invocations = " + std::string(instances->value) : "";
    text += ") in;\n";
    text += "layout(" + std::string(OutputPrimitive(output)) + ", max_vertices = " + std::string(maxVertices) + ") out;\n";
    return text;
}

}  // namespace Korvex::Rendering::ShaderCompiler
