#include "mahjong_client/panels/SystemInputBar.h"

InputBarMetrics CSystemInputBar::TableMetrics() {
    InputBarMetrics metrics;
    metrics.buttonRowTop = 2;
    metrics.inputFrameMargin = 20;
    metrics.inputFrameYFactor = 0.75;
    metrics.editWidth = 168;
    metrics.editHeight = 20;
    metrics.phraseListWidth = 208;
    metrics.phraseListGap = 8;
    metrics.menuFrameColour = 0x708359;
    metrics.menuItemColours = {0xe6edd4, 0xcbd6c0, 0xcbd6c0};
    metrics.menuHoverColours = {0xdae3d0, 0xe9efdd};
    return metrics;
}

CSystemInputBar::CSystemInputBar() : CInputBar(TableMetrics()) {}

CSystemInputBar::~CSystemInputBar() = default;
