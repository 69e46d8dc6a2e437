// The regional table's swap panel, banker dice and hand display.
#include "game/table/RegionalTableView.h"

#include "zep/ZepLog.h"

namespace {

void LogNotBuilt(const char* operation) {
    ZepLog("table: %s is not available yet", operation);
}

}  // namespace

int CRegionalTableView::GetFaceIndex(int tile) {
    // The tile sprites' own frame rule until the hand display brings its own.
    for (int i = 0; i < kCardPoolSize; ++i) {
        if (const CCardSprite* sprite = GetCardSprite(i)) {
            return sprite->GetCardImageIndex(tile);
        }
    }
    LogNotBuilt("GetFaceIndex");
    return 0;
}

void CRegionalTableView::ShowBankerDice(int /*secondDie*/) {
    LogNotBuilt("ShowBankerDice");
}

void CRegionalTableView::DrawSwapInfo(std::span<const uint8_t> /*swapRecord*/) {
    LogNotBuilt("DrawSwapInfo");
}

void CRegionalTableView::FillOwnHand() {
    // The hand display lays every seat's row: the own tiles, the others
    // hidden by their counts.
    CMahjongTableView::FillOwnHand();
    FillHiddenHands();
}

void CRegionalTableView::ShowSkillPanel() {
    CMahjongTableView::ShowSkillPanel();
}
