#pragma once
// Where the fields of a named table-protocol record begin, for tests that
// cut a record at each field.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace game_test {

// Notes where each field of a named record begins.
struct FieldVisit {
    std::vector<size_t> starts;
    size_t at = 0;
    void operator()(const int32_t&) { starts.push_back(at), at += 4; }
    template <size_t N>
    void operator()(const std::array<int32_t, N>&) {
        starts.push_back(at), at += 4 * N;
    }
    template <size_t N>
    void operator()(const std::array<uint8_t, N>&) {
        starts.push_back(at), at += N;
    }
};

// The byte offsets where a named record's fields begin.
template <class R>
std::vector<size_t> FieldStarts() {
    FieldVisit visit;
    R record{};
    R::Fields(record, visit);
    return visit.starts;
}

}  // namespace game_test
