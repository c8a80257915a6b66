#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include "support/fatal.h"
#include "support/wide_string.h"

// A growable ordered array. Capacity starts at 1 and doubles; Append reports false (and leaves
// the list unchanged) when the doubled capacity would exceed MaxSlots or memory runs out. The
// storage comes from malloc so that a failed growth is an answer, not the fatal new-handler.
template <typename T, int32_t MaxSlots = 268435455>
class List {
public:
    List() = default;
    ~List() { Clear(); std::free(items_); }
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    List(List&& other) noexcept { Swap(other); }
    List& operator=(List&& other) noexcept {
        List(std::move(other)).Swap(*this);
        return *this;
    }

    int32_t Count() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    int32_t Capacity() const { return capacity_; }

    // Fatal outside 0..Count()-1.
    const T& operator[](int32_t index) const { return items_[Checked(index)]; }
    T& operator[](int32_t index) { return items_[Checked(index)]; }

    bool Append(T item) {
        if (count_ == capacity_ && !Grow()) return false;
        new (items_ + count_) T(std::move(item));
        ++count_;
        return true;
    }

    void RemoveAt(int32_t index) {
        Checked(index);
        for (int32_t i = index; i + 1 < count_; ++i) items_[i] = std::move(items_[i + 1]);
        items_[--count_].~T();
    }

    void Clear() {
        while (count_ > 0) items_[--count_].~T();
    }

    const T* begin() const { return items_; }
    const T* end() const { return items_ + count_; }

private:
    int32_t Checked(int32_t index) const {
        if (index < 0 || index >= count_) FatalInvalidArgument();
        return index;
    }

    bool Grow() {
        const int64_t doubled = capacity_ == 0 ? 1 : int64_t{capacity_} * 2;
        if (doubled > MaxSlots) return false;
        T* fresh = static_cast<T*>(std::malloc(sizeof(T) * static_cast<size_t>(doubled)));
        if (!fresh) return false;
        for (int32_t i = 0; i < count_; ++i) {
            new (fresh + i) T(std::move(items_[i]));
            items_[i].~T();
        }
        std::free(items_);
        items_ = fresh;
        capacity_ = static_cast<int32_t>(doubled);
        return true;
    }

    void Swap(List& other) noexcept {
        std::swap(items_, other.items_);
        std::swap(count_, other.count_);
        std::swap(capacity_, other.capacity_);
    }

    T* items_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
};

using StringList = List<WideString>;
using NarrowStringList = List<NarrowString>;
