#pragma once
// The game channel's transform key table: four 128-byte key blocks, one after
// another. The client and the server it talks to share the table; the cipher
// uses the first 16 bytes of the selected block as an AES-128 key.

#include <cstddef>
#include <cstdint>

inline constexpr size_t kZepChannelKeyBlockSize = 128;
inline constexpr size_t kZepChannelKeyBlockCount = 4;
// The key length (in bits) that goes with a block.
inline constexpr uint32_t kZepChannelKeyBits = 128;

// Block i of the table, or null for an index outside 0..3.
const uint8_t* ZepChannelKeyBlock(int index);
