#pragma once
// Inside platform/ only: GIF pictures with all their frames, read with
// giflib and composed here (see ImageDecoder.h for the rules).

#include <cstdint>
#include <span>
#include <string>

#include "platform/ImageDecoder.h"

namespace platform::detail {

// False, with a reason, when the bytes are no GIF, no frame can be read or
// the picture passes the size caps.
bool DecodeGif(std::span<const uint8_t> bytes, DecodedPicture& out, std::string& error);

}  // namespace platform::detail
