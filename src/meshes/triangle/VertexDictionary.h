#pragma once

#include "meshes/triangle/VertexPNHash.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Korvex::Rendering::detail {

// Finds vertices by value among those the caller stores: open addressing
// with linear probing in a power-of-two table kept at most half full, grown
// by doubling. A slot holds the id of a stored vertex plus one (0: empty);
// the caller passes its storage, indexed by id, to every lookup. Only
// vertices equal to themselves may be added (VertexEqual never finds the
// others again).
template <class Vertex>
class VertexDictionary {
public:
    // Where a lookup ended: the vertex's id when found, otherwise the empty
    // slot an Add of the vertex fills.
    struct Probe {
        std::size_t slot = 0;
        std::uint32_t id = 0;
        bool found = false;
    };

    // Grows the table first when one more vertex would fill it past half, so
    // that the probe stays valid for Add.
    Probe Find(const Vertex& vertex, const Vertex* stored) {
        if (2 * (count_ + 1) > slots_.size()) Grow(stored);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = SlotOf(vertex);; slot = (slot + 1) & mask) {
            const std::uint32_t entry = slots_[slot];
            if (entry == 0) return {slot, 0, false};
            if (VertexEqual<Vertex>{}(stored[entry - 1], vertex)) return {slot, entry - 1, true};
        }
    }

    // Records id at the empty slot that Find reported; no other change may
    // come between the two.
    void Add(const Probe& probe, std::uint32_t id) {
        slots_[probe.slot] = id + 1;
        ++count_;
    }

    // Room for count vertices without growing, for callers who know.
    void Reserve(std::size_t count, const Vertex* stored) {
        while (2 * count > slots_.size()) Grow(stored);
    }

    // Asks for the memory a Find of vertex will read first, so that lookups
    // of vertices known in advance overlap.
    void Prefetch(const Vertex& vertex) const {
        if (!slots_.empty()) __builtin_prefetch(&slots_[SlotOf(vertex)]);
    }

    // Forgets every vertex, keeping the table's size.
    void Clear() {
        std::fill(slots_.begin(), slots_.end(), 0u);
        count_ = 0;
    }

private:
    static constexpr std::size_t kInitialSlots = 1024;

    std::size_t SlotOf(const Vertex& vertex) const {
        return static_cast<std::size_t>(VertexHash<Vertex>{}(vertex) >> (64 - std::countr_zero(slots_.size())));
    }

    void Grow(const Vertex* stored) {
        std::vector<std::uint32_t> old(std::max(kInitialSlots, 2 * slots_.size()), 0u);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const std::uint32_t entry : old) {
            if (entry == 0) continue;
            std::size_t slot = SlotOf(stored[entry - 1]);
            while (slots_[slot] != 0) slot = (slot + 1) & mask;
            slots_[slot] = entry;
        }
    }

    std::vector<std::uint32_t> slots_;
    std::size_t count_ = 0;
};

}  // namespace Korvex::Rendering::detail
