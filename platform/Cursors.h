#pragma once
// Cursor shapes loaded from cursor files and from the program's own
// resources, next to the fixed system cursors of Input.h.
//
// Rules:
//  - A loaded cursor is a 32-bit picture with its hot spot, kept for the
//    life of the process under a handle of its own; loaded handles never
//    collide with the system cursors' handles, and 0 is never one.
//  - Cursor files are Windows cursor and icon files (.cur, .ico: the entry
//    nearest to 32 x 32 pixels, as a DIB of 1, 4, 8, 24 or 32 bits or as a
//    PNG) and animated cursors (.ani: their first frame). The type comes
//    from the bytes, not the name. Damaged data is refused with a reason;
//    nothing is read outside the given bytes.
//  - The program's resources are the cursor files and pictures the program
//    registers under resource ids at start-up; loading a resource answers
//    the same handle every time.
//  - The display back end turns a handle into a shape with
//    FindLoadedCursor (system handles: by their id).
//  - Safe from any thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Input.h"

namespace platform {

// Cursors are at most this many pixels wide and high.
inline constexpr int kMaxCursorSide = 256;

struct CursorImage {
    int width = 0;
    int height = 0;
    int hotX = 0;  // the hot spot, inside the picture
    int hotY = 0;
    std::vector<uint8_t>
        pixels;  // width * height pixels: blue, green, red, alpha; rows from the top
};

// Decodes the bytes of a cursor, icon or animated cursor file. False, with a
// reason in `error`, when it cannot.
bool DecodeCursorImage(const uint8_t* data, size_t size, CursorImage& out, std::string& error);

// Loads a cursor file (names as in Files.h); its new handle, 0 when the file
// cannot be read or decoded (the reason is in `error` when given).
CursorHandle LoadCursorFromFile(std::string_view path, std::string* error = nullptr);

// Registers the bytes of a cursor file as the program's resource `resourceId`
// (decoded at once; the bytes are not kept); false, with nothing registered,
// when they do not decode or the id is taken.
bool AddCursorResource(int resourceId, const uint8_t* data, size_t size,
                       std::string* error = nullptr);
// Registers a picture the program drew as its resource `resourceId`; false,
// with nothing registered, for a side outside 1..kMaxCursorSide, a hot spot
// outside the picture, a pixel count that does not match, or a taken id.
bool AddCursorResource(int resourceId, CursorImage image, std::string* error = nullptr);
// The handle of the program's cursor resource; 0 when none is registered.
CursorHandle LoadCursorResource(int resourceId);

// The picture of a loaded cursor; null for system handles and unknown ones.
std::shared_ptr<const CursorImage> FindLoadedCursor(CursorHandle cursor);

}  // namespace platform
