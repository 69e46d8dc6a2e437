#pragma once
// What the cross-process window tests and their peer process agree on.

#include <cstddef>
#include <cstdint>

#include "platform/Messages.h"

namespace window_link_peer {

inline constexpr char kPeerClass[] = "LinkPeer";

// The one post the peer takes from other processes: it reports the post back
// to window wParam as a copy-data record kReportedPost holding lParam (4
// bytes, little-endian).
inline constexpr uint32_t kPeerReport = platform::kMsgApp + 4357;

// Copy-data records the peer answers, by dwData. wParam is the sender's window.
inline constexpr uintptr_t kAskChecksum = 1;  // answers Checksum of the bytes
inline constexpr uintptr_t kAskSlow = 2;      // answers 7 after 1500 ms
inline constexpr uintptr_t kAskSendBack = 3;  // sends kSentBack with the same bytes to
                                              // the sender, answers its answer + 1
inline constexpr uintptr_t kAskQuit = 9;      // ends the peer, answers 1

// Records the peer sends.
inline constexpr uintptr_t kReportedPost = 100;
inline constexpr uintptr_t kSentBack = 101;

inline constexpr uint32_t kSlowMs = 1500;

inline platform::LResult Checksum(const uint8_t* bytes, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 16777619u;
    }
    return static_cast<platform::LResult>(hash & 0x7FFFFFFF);
}

}  // namespace window_link_peer
