#pragma once
// A first-in first-out queue kept in one ring of slots that grows by doubling
// and is never given back while the queue lives: a queue that is pushed and
// popped in turn, as a message queue is, allocates nothing once it has grown
// to its working size.
//
// Rules: elements are reached by their place from the front (0 is the
// oldest); EraseIf keeps the order of what stays; a popped or erased slot is
// reset to T{} so that nothing it held lingers.

#include <cstddef>
#include <utility>
#include <vector>

namespace platform {

template <typename T>
class RingQueue {
public:
    bool empty() const { return count_ == 0; }
    size_t size() const { return count_; }

    T& front() { return slots_[head_]; }
    const T& front() const { return slots_[head_]; }

    T& operator[](size_t place) { return slots_[Slot(place)]; }
    const T& operator[](size_t place) const { return slots_[Slot(place)]; }

    void push_back(T item) {
        if (count_ == capacity_) {
            Grow();
        }
        slots_[Slot(count_)] = std::move(item);
        ++count_;
    }

    void pop_front() {
        slots_[head_] = T{};
        head_ = (head_ + 1) & (capacity_ - 1);
        --count_;
    }

    void clear() {
        while (!empty()) {
            pop_front();
        }
        head_ = 0;
    }

    // Removes every element `remove` answers true for (it may move from
    // them); the number removed.
    template <typename Pred>
    size_t EraseIf(Pred remove) {
        size_t kept = 0;
        for (size_t place = 0; place < count_; ++place) {
            T& item = (*this)[place];
            if (remove(item)) {
                continue;
            }
            if (kept != place) {
                (*this)[kept] = std::move(item);
            }
            ++kept;
        }
        const size_t removed = count_ - kept;
        for (size_t place = kept; place < count_; ++place) {
            (*this)[place] = T{};
        }
        count_ = kept;
        return removed;
    }

private:
    static constexpr size_t kFirstSlots = 16;

    size_t Slot(size_t place) const { return (head_ + place) & (capacity_ - 1); }

    void Grow() {
        const size_t capacity = capacity_ == 0 ? kFirstSlots : capacity_ * 2;
        std::vector<T> bigger(capacity);
        for (size_t place = 0; place < count_; ++place) {
            bigger[place] = std::move((*this)[place]);
        }
        slots_.swap(bigger);
        capacity_ = capacity;
        head_ = 0;
    }

    std::vector<T> slots_;
    size_t capacity_ = 0;  // slots_.size(): a power of two, or 0
    size_t head_ = 0;
    size_t count_ = 0;
};

}  // namespace platform
