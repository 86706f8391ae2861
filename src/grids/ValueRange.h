#pragma once

#include <Korvex/Rendering/Simulation/IVectorGrid.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace Korvex::Rendering::detail {

// The value ranges of the grids, found block by block (in parallel, the
// blocks of an upload in any number) and joined in order, equal to the
// ranges of one pass in order. Within a block four running extremes
// advance side by side (they vectorise); equal values of different bits
// (+0.0 and -0.0) are then put right at the end, where it matters.

// The scalar grid's ordered comparisons, min = v > min ? min : v and
// max = max > v ? max : v: a NaN takes over both ends and the next number
// takes over from the NaN. A block's summary is the pass over the block
// alone (starting from its first value) and whether a NaN occurred in it,
// which makes the ends before the block irrelevant.
struct ScalarRangeSummary {
    bool empty = true;
    bool hadNaN = false;
    bool hasZero = false;
    float min = 0.0f;
    float max = 0.0f;
    float lastZero = 0.0f;  // the block's last +0.0 or -0.0
};
// Copies the values to destination (4-byte aligned), as they are, and
// summarises them in the same pass.
ScalarRangeSummary CopyScalars(std::uint8_t* destination, const float* values, std::size_t count);
ScalarRangeSummary Join(const ScalarRangeSummary& earlier, const ScalarRangeSummary& later);
// The range of all values from their joined summary: starting from
// (3.4028235e38, -3.4028235e38), as the grid's range does.
void FinishScalarRange(const ScalarRangeSummary& summary, float& min, float& max);

// The vector grid's strict comparisons per component: a NaN component
// changes nothing, and the range starts from (3.4028235e38, -3.4028235e38).
struct VectorRangeSummary {
    std::array<float, 3> min;
    std::array<float, 3> max;
    std::array<bool, 3> hasZero;
    std::array<float, 3> firstZero;  // the block's first +0.0 or -0.0 per component
    VectorRangeSummary();
};
VectorRangeSummary SummarizeVectors(const Vector3f* vectors, std::size_t count);
VectorRangeSummary Join(const VectorRangeSummary& earlier, const VectorRangeSummary& later);
void FinishVectorRange(const VectorRangeSummary& summary, std::array<float, 3>& min, std::array<float, 3>& max);

}  // namespace Korvex::Rendering::detail
