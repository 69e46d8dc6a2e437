#pragma once
// What the fuzz targets of the wire share: the game channel's transform and
// the way back from a joined message to a ZepMessage, as the socket thread
// takes it.

#include <span>

#include "tests/fuzz/FuzzTarget.h"
#include "zep/ZepChannelKeys.h"
#include "zep/ZepFrame.h"
#include "zep/ZepTransform.h"

inline constexpr uint32_t kFuzzCipherFlags = ZepTransform::kCipherFlag;
inline constexpr uint32_t kFuzzCompressionFlags = ZepTransform::kCompressionFlag;

// Runs a received message backwards through the transform and reads it: a
// message that reads holds its data within its length.
inline void DecodeReceivedMessage(ZepByteBuffer& joined) {
    ZepTransform transform(ZepChannelKeyBlock(0), kZepChannelKeyBits, kFuzzCipherFlags,
                           kFuzzCompressionFlags);
    if (!transform.Transform(joined, ZepTransform::kBackward)) {
        FuzzNote("transform refused");
        return;
    }
    ZepMessage message;
    if (!ZepParseMessage(ZepBufferBytes(joined), message)) {
        FuzzNote("message malformed");
        return;
    }
    FuzzNote("message", message.length == 0 ? 0 : 1);
    if (message.length > joined.GetSize() || (message.length > 0 && message.data == nullptr)) {
        FuzzFail("a read message claims more data than arrived");
    }
}
