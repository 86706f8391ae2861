#include "CellResampling.h"

#include "CellMap.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>

#include <algorithm>
#include <optional>

namespace Korvex::Fields {

namespace {

// Local units a surface cell's interpolation reaches beyond it.
constexpr double kCarriedBeyondCell = 1.0;

// A cell ready to interpolate in. Along a row of samples the owner changes
// often (a hexahedron cut into six tetrahedra gives six in turn), so the last
// few are kept, each in the slot of its number modulo kMappedCells.
struct MappedCell {
    std::uint32_t cell = kNoCell;
    std::optional<CellMap> map;
    Corners corners{};
    // Where the cell's last sample in this row lay: Newton's method starts
    // there for the next. Cleared for each row, so that the result does not
    // depend on how rows are shared among threads.
    std::optional<Vec3> lastXi;
};
constexpr std::size_t kMappedCells = 8;

// The shape function weights at p of a sample the cell owns.
ShapeWeights WeightsAt(const LinearCells& cells, MappedCell& mapped, const Vec3& p) {
    std::optional<Vec3> xi = mapped.map->Locate(p, mapped.lastXi);
    if (!xi) xi = mapped.map->Locate(p);
    if (!xi) return {};  // the owner located it from the centre; rounding aside, unreachable
    mapped.lastXi = xi;
    const double margin = Dimension(cells.ShapeOf(mapped.cell)) == 3 ? kCarriedBeyondCell : 0.0;
    return mapped.map->Weights(mapped.map->Clamped(*xi, margin));
}

void Interpolate(const FieldValues& field, const MappedCell& mapped, std::size_t corners, const ShapeWeights& weights,
                 float* out) {
    for (std::size_t component = 0; component < field.components; ++component) {
        double sum = 0.0;
        for (std::size_t k = 0; k < corners; ++k)
            sum += weights[k] * field.values[mapped.corners[k] * field.components + component];
        out[component] = static_cast<float>(sum);
    }
}

}  // namespace

std::vector<std::vector<float>> ResampleFields(const LinearCells& cells, const SampleOwners& owners,
                                               std::span<const FieldValues> fields) {
    for (const FieldValues& field : fields) {
        const std::size_t tuples = field.perCell ? cells.CellCount() : cells.Grid().points.size();
        if (field.components == 0 || field.values.size() / field.components < tuples) return {};
    }
    const GridLayout& grid = owners.grid;
    std::vector<std::vector<float>> values;
    for (const FieldValues& field : fields) values.emplace_back(grid.Count() * field.components, 0.0f);
    const std::size_t nx = grid.dimensions[0], ny = grid.dimensions[1], rowCount = ny * grid.dimensions[2];
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, rowCount, 16), [&](const tbb::blocked_range<std::size_t>& rows) {
            std::array<MappedCell, kMappedCells> mapped;
            for (std::size_t row = rows.begin(); row < rows.end(); ++row) {
                for (MappedCell& slot : mapped) slot.lastXi.reset();
                for (std::size_t i = 0; i < nx; ++i) {
                    const std::size_t sample = row * nx + i;
                    const std::uint32_t cell = owners.cells[sample];
                    if (cell == kNoCell) continue;
                    MappedCell& slot = mapped[cell % kMappedCells];
                    if (slot.cell != cell) {
                        slot.cell = cell;
                        slot.map.emplace(cells.ShapeOf(cell), CornerPositions(cells, cell));
                        slot.corners = cells.CornersOf(cell);
                        slot.lastXi.reset();
                    }
                    // Located once for all the fields.
                    const ShapeWeights weights = WeightsAt(cells, slot, grid.Point(i, row % ny, row / ny));
                    for (std::size_t f = 0; f < fields.size(); ++f) {
                        const FieldValues& field = fields[f];
                        float* out = values[f].data() + sample * field.components;
                        if (field.perCell)
                            std::copy_n(field.values.begin() + cell * field.components, field.components, out);
                        else
                            Interpolate(field, slot, CornerCount(cells.ShapeOf(cell)), weights, out);
                    }
                }
            }
        });
    std::vector<std::uint8_t> known(grid.Count());
    std::transform(owners.cells.begin(), owners.cells.end(), known.begin(),
                   [](std::uint32_t cell) { return cell != kNoCell; });
    for (std::size_t f = 0; f < fields.size(); ++f) FillAlongGridLines(grid, fields[f].components, known, values[f]);
    return values;
}

void FillAlongGridLines(const GridLayout& grid, std::size_t components, std::vector<std::uint8_t> known,
                        std::vector<float>& values) {
    const std::array<std::size_t, 3> stride{1, grid.dimensions[0], grid.dimensions[0] * grid.dimensions[1]};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::size_t u = (axis + 1) % 3, v = (axis + 2) % 3;
        const std::size_t length = grid.dimensions[axis];
        tbb::parallel_for(tbb::blocked_range<std::size_t>(0, grid.dimensions[u] * grid.dimensions[v], 64),
                          [&](const tbb::blocked_range<std::size_t>& lines) {
                              std::vector<std::size_t> sources;
                              for (std::size_t line = lines.begin(); line < lines.end(); ++line) {
                                  const std::size_t base =
                                      (line % grid.dimensions[u]) * stride[u] + (line / grid.dimensions[u]) * stride[v];
                                  sources.clear();
                                  for (std::size_t n = 0; n < length; ++n)
                                      if (known[base + n * stride[axis]] != 0) sources.push_back(n);
                                  if (sources.empty() || sources.size() == length) continue;
                                  std::size_t next = 0;  // the first source at or after n
                                  for (std::size_t n = 0; n < length; ++n) {
                                      while (next < sources.size() && sources[next] < n) ++next;
                                      const std::size_t sample = base + n * stride[axis];
                                      if (known[sample] != 0) continue;
                                      const bool takeBefore = next == sources.size() ||
                                                              (next > 0 && n - sources[next - 1] <= sources[next] - n);
                                      const std::size_t source =
                                          base + sources[takeBefore ? next - 1 : next] * stride[axis];
                                      std::copy_n(values.begin() + source * components, components,
                                                  values.begin() + sample * components);
                                      known[sample] = 1;
                                  }
                              }
                          });
    }
}

}  // namespace Korvex::Fields
