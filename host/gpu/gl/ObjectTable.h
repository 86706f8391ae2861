#pragma once

#include <Korvex/Rendering/Gpu/Ids.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace Korvex::Rendering::gl {

// Objects addressed by ids of slot index (low 32 bits) and generation (high
// 32 bits). Removing an object bumps its slot's generation, so an id kept
// past its object's life finds nothing instead of the slot's next tenant.
template <class T, class IdType>
class ObjectTable {
public:
    IdType Insert(T object) {
        std::uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            // The all-ones index is the null id; never hand it out.
            if (slots_.size() >= IdType::kIndexMask) return IdType::Null();
            index = static_cast<std::uint32_t>(slots_.size());
            slots_.emplace_back();
        }
        Slot& slot = slots_[index];
        slot.object.emplace(std::move(object));
        ++live_;
        return IdType::FromParts(index, slot.generation);
    }

    T* Find(IdType id) {
        Slot* slot = SlotOf(id);
        return slot != nullptr ? &*slot->object : nullptr;
    }
    const T* Find(IdType id) const { return const_cast<ObjectTable*>(this)->Find(id); }

    // Takes the object out; nothing for a null or stale id.
    std::optional<T> Remove(IdType id) {
        Slot* slot = SlotOf(id);
        if (slot == nullptr) return std::nullopt;
        std::optional<T> object = std::move(slot->object);
        slot->object.reset();
        ++slot->generation;
        free_.push_back(id.Index());
        --live_;
        return object;
    }

    template <class F>
    void ForEach(F&& f) {
        for (Slot& slot : slots_)
            if (slot.object) f(*slot.object);
    }

    // Removes every object, passing each to f first.
    template <class F>
    void Clear(F&& f) {
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            Slot& slot = slots_[i];
            if (!slot.object) continue;
            f(*slot.object);
            slot.object.reset();
            ++slot.generation;
            free_.push_back(static_cast<std::uint32_t>(i));
        }
        live_ = 0;
    }

    std::size_t Size() const { return live_; }

private:
    struct Slot {
        std::optional<T> object;
        std::uint32_t generation = 1;
    };

    Slot* SlotOf(IdType id) {
        if (id.IsNull() || id.Index() >= slots_.size()) return nullptr;
        Slot& slot = slots_[id.Index()];
        if (!slot.object || slot.generation != id.Generation()) return nullptr;
        return &slot;
    }

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> free_;
    std::size_t live_ = 0;
};

}  // namespace Korvex::Rendering::gl
