#include "frame/panels/UserListScrollBar.h"

void CUserListScrollBar::SetScrollInfo(double position, double visible, double content,
                                       double step) {
    CCorvaneScrollBar::SetScrollInfo(position, visible, content, step);
}

int CUserListScrollBar::GetMaxPos() {
    return 0;
}

int CUserListScrollBar::GetPos() {
    return 0;
}
