#include "engine/EngineCursors.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/EngineLog.h"

namespace {

// A cursor as rows of cells: 'B' black, 'W' white, anything else clear.
// Rows may be shorter than the widest; the rest of a row is clear.
platform::CursorImage FromRows(std::initializer_list<std::string_view> rows, int hotX, int hotY) {
    platform::CursorImage image;
    for (std::string_view row : rows) {
        image.width = std::max(image.width, static_cast<int>(row.size()));
    }
    image.height = static_cast<int>(rows.size());
    image.hotX = hotX;
    image.hotY = hotY;
    image.pixels.assign(static_cast<size_t>(image.width) * image.height * 4, 0);
    int y = 0;
    for (std::string_view row : rows) {
        for (size_t x = 0; x < row.size(); ++x) {
            if (row[x] != 'B' && row[x] != 'W') {
                continue;
            }
            const uint8_t shade = row[x] == 'W' ? 255 : 0;
            uint8_t* pixel = image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
            pixel[0] = shade;
            pixel[1] = shade;
            pixel[2] = shade;
            pixel[3] = 255;
        }
        ++y;
    }
    return image;
}

void Register(int resourceId, platform::CursorImage image) {
    if (platform::LoadCursorResource(resourceId) != 0) {
        return;
    }
    std::string error;
    if (!platform::AddCursorResource(resourceId, std::move(image), &error) &&
        platform::LoadCursorResource(resourceId) == 0) {
        EngineLog("cursor resource %d not registered: %s", resourceId, error.c_str());
    }
}

}  // namespace

platform::CursorImage DrawNormalCursor() {
    return FromRows(
        {
            "B",
            "BB",
            "BWB",
            "BWWB",
            "BWWWB",
            "BWWWWB",
            "BWWWWWB",
            "BWWWWWWB",
            "BWWWWWWWB",
            "BWWWWWWWWB",
            "BWWWWWBBBBB",
            "BWWBWWB",
            "BWB BWWB",
            "BB  BWWB",
            "B    BWWB",
            "     BWWB",
            "      BB",
        },
        0, 0);
}

platform::CursorImage DrawHandCursor() {
    return FromRows(
        {
            "     BB",           "    BWWB",          "    BWWB",          "    BWWB",
            "    BWWB",          "    BWWBBB",        "    BWWBWWBBB",     "    BWWBWWBWWBB",
            " BB BWWBWWBWWBWB",  "BWWBBWWWWWWWWBWWB", "BWWWBWWWWWWWWWWWB", " BWWBWWWWWWWWWWWB",
            "  BWWWWWWWWWWWWWB", "  BWWWWWWWWWWWWWB", "   BWWWWWWWWWWWB",  "   BWWWWWWWWWWWB",
            "    BWWWWWWWWWB",   "    BWWWWWWWWWB",   "    BBBBBBBBBBB",
        },
        5, 0);
}

void RegisterEngineCursors() {
    Register(kNormalCursorResource, DrawNormalCursor());
    Register(kHandCursorResource, DrawHandCursor());
}

platform::CursorHandle LoadCursorFileOrLog(const char* path) {
    if (path == nullptr) {
        return 0;
    }
    std::string error;
    const platform::CursorHandle cursor = platform::LoadCursorFromFile(path, &error);
    if (cursor == 0) {
        EngineLog("cursor file %s not loaded: %s", path, error.c_str());
    }
    return cursor;
}
