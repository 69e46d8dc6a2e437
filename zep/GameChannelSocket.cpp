#include "zep/GameChannelSocket.h"

#include "zep/ZepChannelKeys.h"

namespace {

constexpr char kGreeting[] = "Hello! Game Channel.";

}  // namespace

const char* GetGameChannelGreeting() {
    return kGreeting;
}

uint32_t GetGameChannelGreetingLength() {
    return sizeof(kGreeting) - 1;
}

CGameChannelSocket::CGameChannelSocket(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                                       uint32_t compressionFlags)
    : ZepSocketManager(key, keyLength, cipherFlags, compressionFlags, 1, kMaxPieceSize) {}

// Closes while this class is still whole, so that the socket thread never
// runs during the destruction of the layers above the manager.
CGameChannelSocket::~CGameChannelSocket() {
    ZepSocketManager::Close();
}

int CGameChannelSocket::SetTransformKey(const uint8_t* key, uint32_t keyLength,
                                        uint32_t cipherFlags, uint32_t compressionFlags) {
    if (key == nullptr) {
        return ZepSocketManager::SetTransformKey(ZepChannelKeyBlock(0), kZepChannelKeyBits,
                                                 cipherFlags, compressionFlags);
    }
    return ZepSocketManager::SetTransformKey(key, keyLength, cipherFlags, compressionFlags);
}

int CGameChannelSocket::SelectTransformKey(int index, uint32_t cipherFlags,
                                           uint32_t compressionFlags) {
    const uint8_t* block = ZepChannelKeyBlock(index);
    if (block == nullptr) {
        return 0;
    }
    return ZepSocketManager::SetTransformKey(block, kZepChannelKeyBits, cipherFlags,
                                             compressionFlags);
}
