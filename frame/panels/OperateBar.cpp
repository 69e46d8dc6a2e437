#include "frame/panels/OperateBar.h"

void COperateBar::Create() {
    if (!FirstCreate()) {
        return;
    }
    SetName("OpereateBar");
}
