// The regional table's swap panel, banker dice, look-on answers, hand
// display and skill panel.
#include <algorithm>
#include <array>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/table/SeatBoard.h"
#include "mahjong_tiles/TileEncoding.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

constexpr char kSwapPanelImage[] = "frame_HP";
constexpr char kSwapPanelTiles[] = "1366_middle3";
constexpr char kSwapPanelFont[] = "宋体";
constexpr int kSwapPanelFontSize = 12;
constexpr int kSwapPanelFontWeight = 400;
constexpr uint32_t kSwapPanelTextColour = 0xFFFF00;
constexpr uint32_t kCloseButtonLinks = 0x1BC0EB;
constexpr int kCloseButtonFromRight = 200;
constexpr int kCloseButtonFromTop = 180;
constexpr int kNameX = 250;
constexpr int kSourceNameY = 65;
constexpr int kTargetNameY = 115;
constexpr int kTileX = 90;
constexpr int kTileStep = 31;
constexpr int kReceivedTileY = 50;
constexpr int kGivenTileY = 100;
constexpr int kTileWidth = 26;
constexpr int kTileHeight = 36;
constexpr int kSwapTiles = 3;
// Frames of the first face of each suit in the tile-picture strips.
constexpr std::array<int, 5> kSuitFrameOffset = {-1, 8, 17, 26, 33};

// What the swap panel reads of a swap result: per chair the three tiles
// it gives, then the three it receives, then the die.
struct SwapPanelRecord {
    static constexpr size_t kSize = 100;
    tp::Words<12> given{};
    tp::Words<12> received{};
    int32_t die = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.given), f(self.received), f(self.die);
    }
};
static_assert(tp::TableRecordBytes<SwapPanelRecord>() == SwapPanelRecord::kSize);

}  // namespace

int CRegionalTableView::GetFaceIndex(int tile) {
    const int suit = GetCardShape(tile);
    if (suit < 0 || suit >= static_cast<int>(kSuitFrameOffset.size())) {
        return 0;
    }
    return GetCardValue(tile) + kSuitFrameOffset[static_cast<size_t>(suit)];
}

std::array<int, 2> CRegionalTableView::SwapPanelChairs(int ownChair, int die) {
    const int d = ((die % 3) + 3) % 3;
    // The chair the own tiles go to is the one whose source is the own
    // chair: dice 0 and 1 swap directions, 2 stays opposite.
    return {SwapSourceChair(ownChair, d), SwapSourceChair(ownChair, (4 - d) % 3)};
}

CCorvaneButton* CRegionalTableView::GetSwapInfoCloseButton() {
    return FindButton(swapInfoCloseButtonId_);
}

void CRegionalTableView::DrawSwapInfo(std::span<const uint8_t> swapRecord) {
    CCorvaneCanvas* panel = GetSwapInfoPanel();
    SwapPanelRecord record;
    const int own = GetOwnChair();
    if (panel == nullptr || own < 0 || own > 3) {
        return;
    }
    if (!tp::ReadTableRecord(swapRecord, record)) {
        ZepLog("swap panel: a record of %zu bytes is too short", swapRecord.size());
        return;
    }
    panel->Clear();
    panel->DrawImage(GetResourceFrame(kSwapPanelImage, 0), 0, 0, -1, -1, 0.0, 1.0);
    panel->EnableDrag(1);
    AttachSwapInfoCloseButton(*panel);

    const std::array<int, 2> chairs = SwapPanelChairs(own, record.die);
    panel->SetFont(kSwapPanelFontSize, kSwapPanelFontWeight, kSwapPanelFont);
    panel->SetPenColor(kSwapPanelTextColour, 1.0);
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        panel->DrawText(kNameX, kSourceNameY, app->GetChairDisplayName(chairs[0]).c_str());
        panel->DrawText(kNameX, kTargetNameY, app->GetChairDisplayName(chairs[1]).c_str());
    }
    const size_t first = static_cast<size_t>(kSwapTiles * own);
    for (int i = 0; i < kSwapTiles; ++i) {
        const int x = kTileX + kTileStep * i;
        const size_t k = first + static_cast<size_t>(i);
        panel->DrawImage(GetResourceFrame(kSwapPanelTiles, GetFaceIndex(record.received[k])), x,
                         kReceivedTileY, kTileWidth, kTileHeight, 0.0, 1.0);
        panel->DrawImage(GetResourceFrame(kSwapPanelTiles, GetFaceIndex(record.given[k])), x,
                         kGivenTileY, kTileWidth, kTileHeight, 0.0, 1.0);
    }
    panel->Invalidate();
}

void CRegionalTableView::AttachSwapInfoCloseButton(CCorvaneCanvas& panel) {
    // Made once; every later drawing only places it again.
    CCorvaneButton* close = GetSwapInfoCloseButton();
    if (close == nullptr) {
        swapInfoCloseButtonId_ = MakeRegionalButton("关闭信息按钮", kEventSwapInfoToggle);
        close = GetSwapInfoCloseButton();
        if (close == nullptr) {
            return;
        }
        if (panel.AttachChild(close, kCloseButtonLinks) == 0) {
            ZepLog("swap panel: the close button could not be attached");
        }
        close->Show();
    }
    close->SetPos(panel.GetRight() - kCloseButtonFromRight, panel.GetTop() + kCloseButtonFromTop);
    close->SetZ(panel.GetZ());
}

void CRegionalTableView::ShowBankerDice(int secondDie) {
    CRegionalTableData* data = GetRegionalTableData();
    if (data == nullptr) {
        return;
    }
    const int position = ChairToPosition(data->GetBanker());
    CSeatBoard* board = position >= 0 ? GetSeatBoard(position) : nullptr;
    if (board == nullptr) {
        ZepLog("banker dice: no seat board for the banker chair %d", data->GetBanker());
        return;
    }
    board->ShowBankerDice({data->GetDice(0), secondDie});
}

bool CRegionalTableView::OnLookCardReply(NotifyRecord record) {
    tp::LookCardAnswerRecord answer;
    if (!tp::ReadTableRecord(record, answer)) {
        return false;
    }
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    const bool faceUp = IsHandKnown(kOwnPosition);
    const bool mine = app != nullptr && IsLookingOn() && answer.answeringChair == GetOwnChair() &&
                      answer.lookerOn == app->GetUserID();
    const bool done = CMahjongTableView::OnLookCardReply(record);
    if (mine && answer.allowed == 0 && faceUp) {
        PlaySound("SndTanPai");
    }
    return done;
}

void CRegionalTableView::FillOwnHand() {
    CRegionalTableData* data = GetRegionalTableData();
    const int own = GetOwnChair();
    if (data == nullptr || own < 0) {
        return;
    }
    PutStartPlaceholder(*data, own);
    // Index 0 is the drawn tile's place: the tiles start behind it when it
    // is taken, or when the count leaves no tile over after the sets (13,
    // 10, ...), so a hand without a drawn tile never shows one.
    const CCardSprite* first = GetHandSprite(kOwnPosition, 0);
    const int held = data->GetSeatTileCount(own);
    const int start = (first != nullptr && first->visible != 0) || held % 3 != 2 ? 1 : 0;
    const int count = std::clamp(held, 0, kRowSize - start);
    CGameFrameApp* app = CGameFrameApp::Current();
    // A replayed hand is laid by the replay itself.
    if (app == nullptr || app->IsReplayMode()) {
        return;
    }
    std::array<int32_t, kRowSize> tiles{};
    tiles.fill(-1);
    if (!IsLookingOn()) {
        data->GetHandStartTiles(tiles);
    }
    const int wild1 = data->GetWildTile(0);
    const int wild2 = data->GetWildTile(1);
    for (int i = 0; i < count; ++i) {
        const int tile = IsLookingOn() || !IsRealTile(tiles[static_cast<size_t>(i)])
                             ? kHiddenTile
                             : tiles[static_cast<size_t>(i)];
        CCardSprite* sprite = GetHandSprite(kOwnPosition, start + i);
        if (sprite == nullptr) {
            sprite = PutHandTile(kOwnPosition, start + i, tile);
        }
        if (sprite == nullptr) {
            ZepLog("FillOwnHand: no tile sprite for index %d", start + i);
            break;
        }
        sprite->active = 1;
        sprite->tile = tile;
        if (IsLookingOn()) {
            sprite->faceUp = 0;
            continue;
        }
        sprite->visible = 1;
        sprite->faceUp = IsRealTile(tile) ? 1 : 0;
        sprite->wildMark = IsRealTile(tile) && IsWildCard(tile, wild1, wild2, GetRuleFlags()) != 0;
    }
    // The other seats' rows, hidden by their counts.
    FillHiddenHands();
}

void CRegionalTableView::PutStartPlaceholder(CRegionalTableData& data, int own) {
    const int flags = data.GetStartFlags();
    const bool placeholder = (flags & CMahjongTableData::kStartSwapPhase) != 0
                                 ? data.GetBanker() == own
                                 : (flags & CMahjongTableData::kStartFlag100) != 0;
    if (!placeholder) {
        return;
    }
    const int turn = ChairToPosition(data.GetTurnChair());
    if (turn < 0 || GetHandSprite(turn, 0) != nullptr) {
        return;
    }
    if (CCardSprite* sprite = PutHandTile(turn, 0, kHiddenTile)) {
        sprite->visible = 1;
        sprite->active = 1;
        sprite->state = CCardSprite::kStateInHand;
    }
}

void CRegionalTableView::ShowSkillPanel() {
    if (IsLookingOn()) {
        return;
    }
    CCorvaneObject* panel = skillPanelId_ != 0 ? FindObjectById(skillPanelId_) : nullptr;
    if (panel == nullptr || panel->IsVisible() != 0) {
        return;
    }
    ShowViewPart(skillPanelId_);
    HideViewPart(hideSkillButtonId_);
    ShowViewPart(showSkillButtonId_);
    SlidePanel(1);
}
