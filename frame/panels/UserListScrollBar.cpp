#include "frame/panels/UserListScrollBar.h"

#include <cmath>

namespace {

int TruncateToInt(double value) {
    if (!(value > -2147483648.0 && value < 2147483648.0)) {
        return 0;
    }
    return static_cast<int>(value);
}

}  // namespace

void CUserListScrollBar::SetScrollInfo(double position, double visible, double content,
                                       double step) {
    // Nothing lies beyond the visible part: the list shows from its top.
    if (!(content > visible)) {
        position = 0.0;
    }
    CCorvaneScrollBar::SetScrollInfo(position, visible, content, step);
}

int CUserListScrollBar::GetMaxPos() {
    const int most = TruncateToInt(GetTotal() - GetPage());
    return most > 0 ? most : 0;
}

int CUserListScrollBar::GetPos() {
    return TruncateToInt(GetPosition());
}
