#include "frame/panels/QeRepBar.h"

void CQeRepBar::SetLimitValue(int ms) {
    limitMs_ = ms;
}

int CQeRepBar::LoadReplay(const char*) {
    return 0;
}

CReplayBarSeam* MakeQeRepBar(ReplayFormat format) {
    if (format == ReplayFormat::Second) {
        return new CQeRepBarV2;
    }
    return new CQeRepBarV1;
}
