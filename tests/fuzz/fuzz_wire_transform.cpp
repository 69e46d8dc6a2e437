// The backward transform of a received message (the cipher step, then
// decompression) and the message read from what it gives.

#include "tests/fuzz/FuzzWire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZepByteBuffer joined;
    if (size > 0 && joined.Append(data, size) != size) {
        return 0;
    }
    DecodeReceivedMessage(joined);
    return 0;
}
