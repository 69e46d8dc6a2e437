#include "engine/CorvanePicture.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Only the low 16 bits of a frame number given to a picture count.
constexpr int kFrameNumberMask = 0xFFFF;

}  // namespace

CCorvanePicture::CCorvanePicture() = default;

CCorvanePicture::~CCorvanePicture() = default;

void CCorvanePicture::SetImage(const FrameRecord& state, int resize) {
    view_.SetFrameInfo(state);
    if (resize != 0) {
        SetSize(state.width, state.height);
    }
    Invalidate();
}

void CCorvanePicture::SetKeyColor(uint32_t color) {
    view_.SetKeyColor(color);
}

void CCorvanePicture::GetFrameInfo(FrameRecord* out) const {
    if (out != nullptr) {
        *out = view_.GetFrameInfo();
    }
}

int CCorvanePicture::GetFrameDelay(int frame) const {
    return view_.GetFrameDelay(frame & kFrameNumberMask);
}

int CCorvanePicture::SetFrame(int frame) {
    return view_.SetFrame(frame & kFrameNumberMask);
}

int CCorvanePicture::SetFrameByTime(int time, int start) {
    return view_.SetFrameByTime(time, start);
}

int CCorvanePicture::NextFrame() {
    return view_.NextFrame();
}

int CCorvanePicture::GetDurationBetween(int from, int to) const {
    const int count = view_.GetFrameCount();
    if (count < 1) {
        return 0;
    }
    int64_t steps = int64_t{to} - from;
    if (steps < 0) {
        steps += count;
    }
    if (steps <= 0) {
        return 0;
    }
    // Whole rounds are summed at once, so a far `to` costs no more than one
    // round.
    int64_t sum = (steps / count) * view_.GetTotalDuration();
    const int64_t rest = steps % count;
    for (int64_t i = 0; i < rest; ++i) {
        const int64_t frame = (int64_t{from} + i) % count;
        sum += view_.GetFrameDelay(static_cast<int>(frame));
    }
    return static_cast<int>(std::clamp<int64_t>(sum, INT_MIN, INT_MAX));
}
