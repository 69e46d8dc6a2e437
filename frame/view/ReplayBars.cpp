#include "frame/view/ReplayBars.h"

CQeRepBar* MakeInertReplayBar(ReplayFormat format) {
    if (format == ReplayFormat::Second) {
        return new CInertReplayBar<CQeRepBarV2>;
    }
    return new CInertReplayBar<CQeRepBarV1>;
}
