#pragma once
// The records a connection hands to its owner: the application message and
// the delivery record that travels with it, and the thread messages of the
// socket thread.

#include <cstddef>
#include <cstdint>

#include "platform/Messages.h"

// Posted to the owner window or thread: wParam = a heap ZepDeliveryInfo,
// lParam = a heap ZepMessage; the receiver owns both (ZepFreeDelivery).
inline constexpr uint32_t WM_ZEP_SOCKET = platform::kMsgUser + 1001;  // 2025
// The readiness notice of a socket watched with platform::AsyncSelect (wParam
// socket, lParam event | error << 16). The socket thread waits on its socket
// itself and takes none.
inline constexpr uint32_t kZepSocketNotifyMessage = 11025;
// The probe that tells the socket thread's readiness.
inline constexpr uint32_t kZepSocketReadyMessage = 11026;

// Result codes of a socket notice (header word 1 of its empty message).
inline constexpr uint32_t kZepNoticeClosed = 1;
inline constexpr uint32_t kZepNoticeError = 2;

// Result codes that the game connection sets itself; they never travel.
inline constexpr uint32_t kZepResultTimedOut = 1030;
inline constexpr uint32_t kZepResultNotConnected = 1031;

// What accompanies a received message or a socket notice; also the request
// descriptor of SendRequest (socket, 0, wait flag, 0, 0, 0). On the wire and
// in assembly buffers it is six little-endian u32 in this order.
struct ZepDeliveryInfo {
    static constexpr size_t kSize = 24;

    uint32_t socket = 0;
    uint32_t messageSequence = 0;
    uint32_t callerWord = 0;  // 1: the sender waits for a reply
    uint32_t connectionId = 0;
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
};

// An application message: a 24-byte header (word 1 is the request id, result
// code or notification id), the data length and the data.
//
// Rules:
//  - The record owns its data (a new[] block, or null when the length is 0).
//    Copying copies the data into a new block; destroying frees it.
//  - length and data always agree: SetData is the way to change them.
struct ZepMessage {
    static constexpr size_t kHeaderWords = 6;
    static constexpr size_t kHeaderSize = 24;

    uint32_t header[kHeaderWords] = {};
    uint32_t length = 0;
    uint8_t* data = nullptr;

    ZepMessage() = default;
    ~ZepMessage();
    ZepMessage(const ZepMessage& other);
    ZepMessage& operator=(const ZepMessage& other);
    ZepMessage(ZepMessage&& other) noexcept;
    ZepMessage& operator=(ZepMessage&& other) noexcept;

    // The request id, result code or notification id.
    uint32_t Code() const { return header[1]; }
    void SetCode(uint32_t code) { header[1] = code; }

    // Replaces the data by a copy of n bytes. False (and no change) when the
    // block cannot be had or bytes is null with n above 0.
    bool SetData(const void* bytes, uint32_t n);
};

// Frees the message's data and clears the pointer and length; nothing for a
// null message.
void ZepFreeMessageData(ZepMessage* message);

// Frees a pair that came with WM_ZEP_SOCKET: the message's data, the message
// and the delivery record. Either may be null.
void ZepFreeDelivery(ZepDeliveryInfo* info, ZepMessage* message);
