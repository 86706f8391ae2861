#include "SurfaceFaces.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>

#include <algorithm>
#include <atomic>
#include <tuple>

namespace Korvex::Fields {

namespace {

constexpr std::uint32_t kNoId = UINT32_MAX;

// A face sorted into the bucket of its smallest canonical id: the other
// ids ascending (kNoId after a triangle's) and which face it is.
struct FaceEntry {
    std::uint32_t b, c, d;
    std::uint32_t cellFace;  // cell * 8 + face

    auto Key() const { return std::tie(b, c, d); }
    friend bool operator<(const FaceEntry& x, const FaceEntry& y) {
        return std::tie(x.b, x.c, x.d, x.cellFace) < std::tie(y.b, y.c, y.d, y.cellFace);
    }
};

// The smallest distinct canonical id of a face, or kNoId for a face of less
// than three; entry gets the others.
std::uint32_t FaceKey(const LinearCells& cells, const Corners& corners, const FaceCorners& face, FaceEntry& entry) {
    std::array<std::uint32_t, 4> ids{kNoId, kNoId, kNoId, kNoId};
    for (std::size_t k = 0; k < face.count; ++k) ids[k] = cells.CanonicalId(corners[face.corners[k]]);
    std::sort(ids.begin(), ids.begin() + face.count);
    const std::size_t distinct =
        static_cast<std::size_t>(std::unique(ids.begin(), ids.begin() + face.count) - ids.begin());
    if (distinct < 3) return kNoId;
    for (std::size_t k = distinct; k < 4; ++k) ids[k] = kNoId;
    entry.b = ids[1];
    entry.c = ids[2];
    entry.d = ids[3];
    return ids[0];
}

// Calls visit(bucket, entry) for every face of every drawn cell in the range.
template <class Visit>
void ForEachFace(const LinearCells& cells, std::size_t begin, std::size_t end, Visit&& visit) {
    for (std::size_t cell = begin; cell < end; ++cell) {
        const Shape shape = cells.ShapeOf(cell);
        if (shape == Shape::None) continue;
        const Corners corners = cells.CornersOf(cell);
        const auto faces = FacesOf(shape);
        for (std::size_t f = 0; f < faces.size(); ++f) {
            FaceEntry entry{};
            const std::uint32_t bucket = FaceKey(cells, corners, faces[f], entry);
            if (bucket == kNoId) continue;
            entry.cellFace = static_cast<std::uint32_t>(cell * 8 + f);
            visit(bucket, entry);
        }
    }
}

// Keeps the one face of a run of equal keys that is on the surface, if any;
// answers how many it kept (0 or 1), written at out.
std::size_t SurfaceFaceOfRun(const LinearCells& cells, const FaceEntry* run, std::size_t length, FaceEntry* out) {
    std::size_t solids = 0;
    const FaceEntry* solid = nullptr;
    for (std::size_t k = 0; k < length; ++k)
        if (Dimension(cells.ShapeOf(run[k].cellFace / 8)) == 3) {
            ++solids;
            solid = &run[k];
        }
    if (solids > 1) return 0;
    *out = solid != nullptr ? *solid : run[0];
    return 1;
}

}  // namespace

std::vector<SurfaceFace> FindSurfaceFaces(const LinearCells& cells) {
    const std::size_t points = cells.Grid().points.size();
    const tbb::blocked_range<std::size_t> allCells(0, cells.CellCount(), 4096);

    // Faces counted, then placed, into buckets by their smallest id.
    std::vector<std::atomic<std::uint32_t>> cursor(points + 1);
    tbb::parallel_for(allCells, [&](const tbb::blocked_range<std::size_t>& range) {
        ForEachFace(cells, range.begin(), range.end(), [&](std::uint32_t bucket, const FaceEntry&) {
            cursor[bucket].fetch_add(1, std::memory_order_relaxed);
        });
    });
    std::vector<std::size_t> start(points + 1, 0);
    for (std::size_t p = 0; p < points; ++p) {
        start[p + 1] = start[p] + cursor[p].load(std::memory_order_relaxed);
        cursor[p].store(0, std::memory_order_relaxed);
    }
    std::vector<FaceEntry> entries(start[points]);
    tbb::parallel_for(allCells, [&](const tbb::blocked_range<std::size_t>& range) {
        ForEachFace(cells, range.begin(), range.end(), [&](std::uint32_t bucket, const FaceEntry& entry) {
            entries[start[bucket] + cursor[bucket].fetch_add(1, std::memory_order_relaxed)] = entry;
        });
    });

    // Each bucket sorted (placement order varies between runs), its surface
    // faces moved to its front.
    std::vector<std::uint32_t> kept(points, 0);
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, points, 1024), [&](const tbb::blocked_range<std::size_t>& range) {
            for (std::size_t p = range.begin(); p < range.end(); ++p) {
                FaceEntry* first = entries.data() + start[p];
                FaceEntry* last = entries.data() + start[p + 1];
                std::sort(first, last);
                std::size_t count = 0;
                for (FaceEntry* run = first; run != last;) {
                    FaceEntry* runEnd = run + 1;
                    while (runEnd != last && runEnd->Key() == run->Key()) ++runEnd;
                    count += SurfaceFaceOfRun(cells, run, static_cast<std::size_t>(runEnd - run), first + count);
                    run = runEnd;
                }
                kept[p] = static_cast<std::uint32_t>(count);
            }
        });

    std::vector<SurfaceFace> faces;
    for (std::size_t p = 0; p < points; ++p)
        for (std::size_t k = 0; k < kept[p]; ++k) {
            const std::uint32_t cellFace = entries[start[p] + k].cellFace;
            faces.push_back({cellFace / 8, static_cast<std::uint8_t>(cellFace % 8)});
        }
    return faces;
}

FacePolygon PolygonOf(const LinearCells& cells, SurfaceFace face) {
    const FaceCorners& corners = FacesOf(cells.ShapeOf(face.cell))[face.face];
    const Corners cellCorners = cells.CornersOf(face.cell);
    FacePolygon polygon;
    for (std::size_t k = 0; k < corners.count; ++k) {
        const std::uint32_t point = cellCorners[corners.corners[k]];
        const bool repeats =
            polygon.count > 0 && cells.CanonicalId(point) == cells.CanonicalId(polygon.points[polygon.count - 1]);
        if (!repeats) polygon.points[polygon.count++] = point;
    }
    if (polygon.count > 1 &&
        cells.CanonicalId(polygon.points[0]) == cells.CanonicalId(polygon.points[polygon.count - 1]))
        --polygon.count;
    return polygon;
}

}  // namespace Korvex::Fields
