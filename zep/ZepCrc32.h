#pragma once
// CRC-32: reflected polynomial 0x04C11DB7, initial value all ones, final
// complement (the checksum of zlib and ISO 3309).

#include <cstddef>
#include <cstdint>

// The checksum functions. Every function that takes a table accepts null for
// the built-in one.
class ZepCrc32 {
public:
    static constexpr size_t kTableSize = 256;

    // Fills the 256 entries of the reflected table.
    static void BuildTable(uint32_t* table);
    // The table built once, at compile time.
    static const uint32_t* StandardTable();

    // Runs n bytes through the register: crc = table[(crc ^ byte) & 255] ^ (crc >> 8).
    // The built-in table (null or StandardTable()) takes a quicker path with
    // the same result; any other table goes a byte at a time.
    static uint32_t Update(const uint32_t* table, const void* bytes, size_t n, uint32_t crc);

    // The CRC-32 of the bytes; 0 for a null pointer or n = 0.
    static uint32_t Compute(const uint32_t* table, const void* bytes, size_t n);
};
