// The list type every scene container uses: a count and that many non-null pointers, in the
// order they were appended. Lists grow by one entry per append and never shrink; the storage
// grows geometrically, so loading n entries costs O(n), not O(n^2) copies. A list does
// not own what it points at; the class holding the list says who releases the entries.
#pragma once

#include <cstdint>
#include <new>
#include <vector>

namespace cm {

template <typename T>
class PointerList {
public:
    // Refuses null and, when memory runs out, leaves the list exactly as it was (push_back
    // either appends or changes nothing).
    bool Append(T* entry) {
        if (entry == nullptr) return false;
        try {
            entries_.push_back(entry);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    // Only for undoing an append that a second list refused.
    void RemoveLast() {
        if (!entries_.empty()) entries_.pop_back();
    }

    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    bool Contains(const T* entry) const {
        for (T* e : entries_) {
            if (e == entry) return true;
        }
        return false;
    }

    // Null outside 0..count-1: every indexed read of the scene classes goes through here, so a
    // wrong index gives a null pointer rather than a read past the array.
    T* At(int32_t index) const {
        if (index < 0 || index >= Count()) return nullptr;
        return entries_[static_cast<size_t>(index)];
    }

    T* const* begin() const { return entries_.data(); }
    T* const* end() const { return entries_.data() + entries_.size(); }

private:
    std::vector<T*> entries_;
};

}  // namespace cm
