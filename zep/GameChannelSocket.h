#pragma once
// The socket manager as the game server's channel uses it: every frame
// carries a CRC-32, pieces are at most 4000 bytes, the connection opens with
// the greeting "Hello! Game Channel." (sent with its zero byte), and the
// transform key is one of the four blocks of the built-in key table.
//
// Rules:
//  - Choose the key (SelectTransformKey or SetTransformKey) before
//    connecting; it holds for every later request and received message.
//  - Only block indices 0..3 exist; another index is refused and leaves the
//    key as it was.

#include <cstdint>

#include "zep/ZepSocketManager.h"

// The channel's greeting text and its length without the zero byte (20).
const char* GetGameChannelGreeting();
uint32_t GetGameChannelGreetingLength();

class CGameChannelSocket : public ZepSocketManager {
public:
    static constexpr uint32_t kMaxPieceSize = 4000;

    CGameChannelSocket(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                       uint32_t compressionFlags);
    ~CGameChannelSocket() override;

    // A null key selects block 0 with a 128-bit key (keyLength is then
    // ignored); else the given key. The flags become the defaults. 1.
    int SetTransformKey(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                        uint32_t compressionFlags) override;
    // Block index of the key table with a 128-bit key, and the flags as the
    // defaults (0x100 AES, 0x400 zlib). 1, or 0 for an index outside 0..3.
    virtual int SelectTransformKey(int index, uint32_t cipherFlags, uint32_t compressionFlags);
};
