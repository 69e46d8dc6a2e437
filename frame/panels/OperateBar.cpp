#include "frame/panels/OperateBar.h"

void COperateBar::Create() {
    SetName("OpereateBar");
}
