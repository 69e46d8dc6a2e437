#include "mahjong_tiles/TableHelpers.h"

#include "platform/Sync.h"

namespace {

uint32_t SystemTick() {
    return platform::GetTickCount32();
}

constinit TickSource g_tickSource = &SystemTick;

int WrapIntoWall(int64_t position, int wallSize) {
    const int64_t wrapped = position % wallSize;
    return static_cast<int>(wrapped < 0 ? wrapped + wallSize : wrapped);
}

}  // namespace

int GetWallTailPosition(int wallStart, int markedPosition, int wallSize, int& tailCount, int& met) {
    met = 0;
    if (wallSize < 1) {
        return -1;
    }
    const int t = tailCount;
    int position =
        WrapIntoWall(static_cast<int64_t>(wallStart) - 2 - 2 * (t / 2) + t % 2, wallSize);
    if (position == markedPosition) {
        met = 1;
        position = WrapIntoWall(static_cast<int64_t>(position) + 1, wallSize);
        ++tailCount;
    }
    ++tailCount;
    return position;
}

int GetElapsedTime(uint32_t startTick, int& seconds, int& minutes, int maxSeconds) {
    if (startTick == 0) {
        seconds = 0;
        minutes = 0;
        return 0;
    }
    const uint32_t elapsed = (g_tickSource() - startTick) / 1000u;
    seconds = static_cast<int64_t>(elapsed) > maxSeconds ? 0 : static_cast<int>(elapsed);
    minutes = seconds / 60;
    return 1;
}

void SetTickSource(TickSource source) {
    g_tickSource = source != nullptr ? source : &SystemTick;
}

void RestoreDefaultTickSource() {
    g_tickSource = &SystemTick;
}

uint32_t ReadTick() {
    return g_tickSource();
}
