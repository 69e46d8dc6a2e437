#include "zep/ZepCrc32.h"

#include <zlib.h>

#include <array>

namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7;

constexpr uint32_t Reflect(uint32_t value, int bits) {
    uint32_t result = 0;
    for (int i = 0; i < bits; ++i) {
        if (value & (1u << i)) {
            result |= 1u << (bits - 1 - i);
        }
    }
    return result;
}

// One entry: the reflected byte at the top of the register, shifted through
// the polynomial eight times, the register reflected back.
constexpr uint32_t TableEntry(uint32_t index) {
    uint32_t crc = Reflect(index, 8) << 24;
    for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 0x80000000u) ? (crc << 1) ^ kPolynomial : crc << 1;
    }
    return Reflect(crc, 32);
}

constexpr std::array<uint32_t, ZepCrc32::kTableSize> MakeTable() {
    std::array<uint32_t, ZepCrc32::kTableSize> table{};
    for (uint32_t i = 0; i < table.size(); ++i) {
        table[i] = TableEntry(i);
    }
    return table;
}

constexpr std::array<uint32_t, ZepCrc32::kTableSize> kTable = MakeTable();
static_assert(kTable[1] == 0x77073096 && kTable[255] == 0x2D02EF8D);

}  // namespace

void ZepCrc32::BuildTable(uint32_t* table) {
    for (uint32_t i = 0; i < kTableSize; ++i) {
        table[i] = TableEntry(i);
    }
}

const uint32_t* ZepCrc32::StandardTable() {
    return kTable.data();
}

uint32_t ZepCrc32::Update(const uint32_t* table, const void* bytes, size_t n, uint32_t crc) {
    if (bytes == nullptr) {
        return crc;
    }
    const auto* p = static_cast<const uint8_t*>(bytes);
    if (table == nullptr || table == kTable.data()) {
        // zlib's CRC-32 is this one, taking and giving the complemented
        // register, and runs many bytes a step.
        return ~static_cast<uint32_t>(crc32_z(~crc & 0xFFFFFFFFu, p, n));
    }
    for (size_t i = 0; i < n; ++i) {
        crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    }
    return crc;
}

uint32_t ZepCrc32::Compute(const uint32_t* table, const void* bytes, size_t n) {
    if (bytes == nullptr || n == 0) {
        return 0;
    }
    return ~Update(table, bytes, n, 0xFFFFFFFFu);
}
