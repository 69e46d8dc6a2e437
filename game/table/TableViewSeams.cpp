// Operations of the regional table that later work fills: the meld
// requests, the ting declaration, the swap panel's drawing, the automatic
// top-up and the in-table dialogs. Until then each runs the mahjong table's
// own operation where there is one, else logs one line and changes nothing
// (a Submit answers 0, a dialog factory null).
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

int CRegionalTableView::RequestCatch(std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestCatch");
    return 0;
}

int CRegionalTableView::RequestDiscardGang(table_protocol::OperationRecord& /*out*/,
                                           std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestDiscardGang");
    return 0;
}

int CRegionalTableView::RequestConcealedGang(int32_t /*tile*/,
                                             table_protocol::OperationRecord& /*out*/,
                                             std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestConcealedGang");
    return 0;
}

int CRegionalTableView::RequestAddedGang(const int32_t* /*threeTiles*/,
                                         table_protocol::OperationRecord& /*out*/,
                                         std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestAddedGang");
    return 0;
}

int CRegionalTableView::RequestPeng(table_protocol::OperationRecord& /*out*/,
                                    std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestPeng");
    return 0;
}

void CRegionalTableView::ShowBankerDice(int /*secondDie*/) {
    LogNotBuilt("ShowBankerDice");
}

int CRegionalTableView::SubmitPeng() {
    LogNotBuilt("SubmitPeng");
    return 0;
}

int CRegionalTableView::SubmitDiscardGang() {
    LogNotBuilt("SubmitDiscardGang");
    return 0;
}

int CRegionalTableView::SubmitConcealedGang(int32_t /*tile*/) {
    LogNotBuilt("SubmitConcealedGang");
    return 0;
}

int CRegionalTableView::SubmitAddedGang(int32_t /*tile*/) {
    LogNotBuilt("SubmitAddedGang");
    return 0;
}

void CRegionalTableView::RefreshOperationButtons() {
    CMahjongTableView::RefreshOperationButtons();
}

void CRegionalTableView::OfferOptionsAfterDraw(int options) {
    CMahjongTableView::OfferOptionsAfterDraw(options);
}

void CRegionalTableView::ApplyTingInfo(std::span<const uint8_t> /*ting*/) {
    LogNotBuilt("ApplyTingInfo");
}

void CRegionalTableView::OnTingButton() {
    LogNotBuilt("OnTingButton");
}

void CRegionalTableView::OnTingTileClick(CCardSprite* /*sprite*/) {
    LogNotBuilt("OnTingTileClick");
}

bool CRegionalTableView::OnTingThrowNotify(NotifyRecord /*record*/) {
    LogNotBuilt("OnTingThrowNotify");
    return true;
}

void CRegionalTableView::DrawSwapInfo(std::span<const uint8_t> /*swapRecord*/) {
    LogNotBuilt("DrawSwapInfo");
}

void CRegionalTableView::CheckAutoFix() {
    LogNotBuilt("CheckAutoFix");
}

void CRegionalTableView::TakeSilverForAutoFix(int /*silver*/, uint32_t /*password*/) {
    LogNotBuilt("TakeSilverForAutoFix");
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

CCorvaneObject* CRegionalTableView::NewGameSetDlg() {
    return nullptr;
}

CCorvaneObject* CRegionalTableView::NewAutoFixDlg() {
    return nullptr;
}

CCorvaneObject* CRegionalTableView::NewSecurePwdDlg() {
    return nullptr;
}
