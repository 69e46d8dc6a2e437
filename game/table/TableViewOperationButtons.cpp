// The regional table's six operation buttons: where they sit, when they
// show, how each is offered, and what a click on Gang or Guo does.
//
// Rules:
//  - A looker-on never sees the row and no button changes for him.
//  - Disabling a button returns it to its idle picture; enabling keeps the
//    picture it shows.
//  - Gang has two modes on the own turn: idle ("btn_Gang_big") and, with
//    two or more own fours, choosing ("btn_Xiao_big"), where the player
//    picks one of the tiles left bright or clicks again to cancel.
#include <algorithm>
#include <array>

#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/FrameFunctions.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_tiles/TileEncoding.h"

namespace tp = table_protocol;

namespace {

constexpr char kGangImage[] = "btn_Gang_big";
constexpr char kTingImage[] = "Btn_Ting";
constexpr char kChoosingImage[] = "btn_Xiao_big";
constexpr int kDefaultButtonSize = 43;
// Scenes below this height get the tighter row.
constexpr int kBigSceneHeight = 601;
// Operation voices of an own gang and of a gang on a thrown tile.
constexpr int kOwnGangVoice = 2;
constexpr int kThrownTileGangVoice = 4;
// The ready-hand badges: their centres' distance in from the table's edge,
// along the side seats' edges from the middle, and left of the middle
// beside the opposite and the own seat's boards.
constexpr int kBadgeInset = 20;
constexpr int kBadgeAlongSide = 180;
constexpr int kBadgeBesideBoard = 170;

}  // namespace

CCorvaneButton* CRegionalTableView::GetOperationButtonOfKind(int kind) {
    return kind == kOpTing ? GetTingButton() : GetOperationButton(kind);
}

std::vector<IntRect> CRegionalTableView::GetOperationButtonBoxes() {
    std::vector<IntRect> boxes;
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        boxes.push_back(ObjectBox(GetOperationButtonOfKind(kind)));
    }
    return boxes;
}

// Kinds 1-5 are the mahjong table's own buttons; the Ting button (6)
// keeps the same rules.
void CRegionalTableView::SetOperationButton(int kind, int enable) {
    if (kind != kOpTing) {
        CMahjongTableView::SetOperationButton(kind, enable);
        return;
    }
    CCorvaneButton* ting = GetTingButton();
    if (IsLookingOn() || ting == nullptr) {
        return;
    }
    if (enable != 0) {
        FlashMainWindow();
    } else {
        m_bTingIdle = 1;
        ting->SetFaceImage(GetSkinFrame(kTingImage), 0);
    }
    ting->SetInputEnabled(enable != 0 ? 1 : 0);
}

void CRegionalTableView::SetAllOperationButtons(int enable) {
    CMahjongTableView::SetAllOperationButtons(enable);
    SetOperationButton(kOpTing, enable);
}

void CRegionalTableView::ShowOperationButtons(int show) {
    CMahjongTableView::ShowOperationButtons(show);
    CCorvaneButton* ting = GetTingButton();
    if (ting == nullptr) {
        return;
    }
    if (show != 0 && !IsLookingOn()) {
        ting->Show();
    } else {
        ting->Hide();
    }
    ting->Invalidate();
}

void CRegionalTableView::LayoutOperationButtons() {
    // The base places the start and look-card buttons; the row and the
    // badges are placed here.
    CMahjongTableView::LayoutOperationButtons();
    const IntRect rect = GetViewRect();
    const int w = rect.Width();
    const int h = rect.Height();
    int bw = kDefaultButtonSize;
    int bh = kDefaultButtonSize;
    if (CCorvaneButton* guo = GetOperationButton(kOpGuo)) {
        bw = static_cast<int>(guo->GetWidth());
        bh = static_cast<int>(guo->GetHeight());
    }
    int dx = 10;
    int dy = 15;
    if (GetImageHeight() < kBigSceneHeight) {
        dx = 0;
        dy = 5;
    }
    CMahjongTableData* data = GetMahjongTableData();
    const int chi = data != nullptr && data->GetChiRule() != 0 ? 1 : 0;
    const int x0 = bw / 2 + ((w / 2 - bw * (5 + chi)) - 10) / 2 + dx + rect.left + w / 2;
    const int y = rect.bottom - 35 - handBottomMargin_ - bh / 2 - dy;
    const auto place = [&](CCorvaneObject* part, int x, int py) {
        if (part != nullptr) {
            part->SetPos(x, py);
            part->Invalidate();
        }
    };
    place(GetOperationButton(kOpGuo), x0 - 10, y);
    place(GetOperationButton(kOpHu), x0 + bw, y);
    place(GetOperationButton(kOpGang), x0 + 2 * bw, y);
    place(GetOperationButton(kOpPeng), x0 + 3 * bw, y);
    if (chi != 0) {
        place(GetOperationButton(kOpChi), x0 + 4 * bw, y);
    }
    // Ting and Chi share the fifth place.
    place(GetTingButton(), x0 + 4 * bw, y);

    // Each seat's ready-hand badge lies at its edge of the table, inside
    // it, beside the seat's board: above the left seat's, below the right
    // seat's and left of the opposite and the own seat's.
    struct BadgePlace {
        int x, y;
        double angle;
    };
    const std::array<BadgePlace, 4> badges = {{
        {rect.left + kBadgeInset, rect.top + h / 2 - kBadgeAlongSide, 270.0},
        {rect.left + w / 2 - kBadgeBesideBoard, rect.top + kBadgeInset, 0.0},
        {rect.right - kBadgeInset, rect.top + h / 2 + kBadgeAlongSide, 90.0},
        {rect.left + w / 2 - kBadgeBesideBoard, rect.bottom - kBadgeInset, 0.0},
    }};
    for (int position = 0; position < kPositions; ++position) {
        CCorvanePicture* badge = GetBaoJiaoBadge(position);
        if (badge == nullptr) {
            continue;
        }
        const BadgePlace& at = badges[static_cast<size_t>(position)];
        badge->SetAngle(at.angle);
        place(badge, at.x, at.y);
    }
}

void CRegionalTableView::RefreshOperationButtons() {
    LayoutOperationButtons();
    SetAllOperationButtons(0);
    ShowOperationButtons(IsLookingOn() ? 0 : 1);
    CMahjongTableData* data = GetMahjongTableData();
    if (data == nullptr || IsLookingOn()) {
        return;
    }
    const int turnChair = data->GetHandStartWord(13);
    if (IsTableChair(turnChair) && ChairToPosition(turnChair) == kOwnPosition) {
        CheckConcealedGang();
    }
}

void CRegionalTableView::OfferGangInTing(uint32_t flags) {
    OperationOffer& gang = GetOffer(kOpGang);
    gang.offered = (flags & static_cast<uint32_t>(tp::kOptionGang)) != 0 ? 1 : 0;
    SetOperationButton(kOpGang, gang.offered);
}

// ---- Gang ----

int CRegionalTableView::OnGangButton() {
    if (IsLookingOn()) {
        return 0;
    }
    const CCardSprite* first = GetHandSprite(kOwnPosition, 0);
    if (GetTurnDirection() == 2 * kOwnPosition && first != nullptr && first->visible != 0) {
        return OnOwnGangClick();
    }
    return OnThrownTileGangClick();
}

int CRegionalTableView::OnOwnGangClick() {
    CCorvaneButton* gang = GetOperationButton(kOpGang);
    if (gang == nullptr || !IsOperationButtonOn(kOpGang)) {
        return 0;
    }
    GetVoiceFileByName(kOwnPosition, GetOperationSoundName(kOwnGangVoice));
    const int options = MarkConcealedGangTile();
    if (options < 2) {
        return SubmitRaisedGang();
    }
    if (gangIdle_ == 1) {
        gangIdle_ = 0;
        gang->SetFaceImage(GetSkinFrame(kChoosingImage), 0);
        GreyAllButQuadruples();
        RefreshHandSprites(kOwnPosition);
        SetTableState(kStateGangChoice);
        return 0;
    }
    // A click on "btn_Xiao_big": the choice is cancelled.
    gangIdle_ = 1;
    gang->SetFaceImage(GetSkinFrame(kGangImage), 0);
    if (operationHeld_ == 1 && GetTableState() == kStateGangChoice) {
        return 0;  // a held gang stays open
    }
    ClearHandMarks();
    RefreshHandSprites(kOwnPosition);
    SetTableState(kStateNormal);
    return 0;
}

int CRegionalTableView::OnGangTileSelect(CCardSprite& chosen) {
    if (chosen.greyed != 0) {
        return 0;
    }
    SelectGangTile(chosen);
    return SubmitRaisedGang();
}

int CRegionalTableView::SubmitRaisedGang() {
    std::array<int32_t, kRowSize> raised{};
    if (GetRaisedTiles(raised.data()) != 1) {
        return 0;
    }
    const int32_t tile = raised[0];
    const uint32_t rule = GetRuleFlags();
    const int face = GetCardIndex(tile, rule);
    // The first other tile of the face in hand order (the row, then the
    // drawn tile) tells whether the face lies in a peng.
    const CCardSprite* other = nullptr;
    for (int i = 1; i <= kRowSize && other == nullptr; ++i) {
        const CCardSprite* sprite = GetHandSprite(kOwnPosition, i % kRowSize);
        if (sprite != nullptr && sprite->active != 0 && sprite->tile != tile &&
            IsRealTile(sprite->tile) && GetCardIndex(sprite->tile, rule) == face) {
            other = sprite;
        }
    }
    if (other == nullptr) {
        return 0;
    }
    if (other->meldKind == CCardSprite::kMeldPeng) {
        return OnAddGangButton(tile);
    }
    if (other->meldKind == CCardSprite::kMeldNone) {
        return OnConcealedGangButton(tile);
    }
    return 0;
}

int CRegionalTableView::OnThrownTileGangClick() {
    GetVoiceFileByName(kOwnPosition, GetOperationSoundName(kThrownTileGangVoice));
    SetAllOperationButtons(0);
    const OperationOffer& offer = GetOffer(kOpGang);
    std::array<uint8_t, tp::GangQueryReply::kSize> reply{};
    if (SendGangQuery(tp::kGangOnThrownTile, offer.tile, reply.data()) == 0) {
        return 0;
    }
    tp::GangQueryReply answer;
    tp::ReadTableRecord(reply, answer);
    // Another seat that may win on the tile goes first: the gang waits.
    bool mustWait = offer.anotherMayWin != 0;
    for (int chair = 0; chair < static_cast<int>(answer.chairOptions.size()); ++chair) {
        if (IsTableChair(chair) &&
            (answer.chairOptions[static_cast<size_t>(chair)] & tp::kOptionHu) != 0) {
            mustWait = true;
        }
    }
    if (!mustWait) {
        return OnGangOnDiscardButton();
    }
    const int seconds = GetClockSeconds() - 1;
    SetTableState(kStateGangChoice);
    operationHeld_ = 1;
    if (seconds > 0) {
        SetClockSeconds(seconds);
        return 0;
    }
    SetClockSeconds(0);
    OnTurnTimeOut();
    return 0;
}

// ---- Guo ----

int CRegionalTableView::OnGuoButton() {
    if (IsLookingOn()) {
        return 0;
    }
    SetAllOperationButtons(0);
    if (IsOwnTingDeclared() && GetOffer(kOpGang).offered == 1) {
        // Passing on a gang in a ready hand throws the drawn tile.
        const CCardSprite* drawn = GetHandSprite(kOwnPosition, 0);
        if (drawn != nullptr && drawn->visible != 0) {
            return ThrowHandTile(0);
        }
    }
    return CMahjongTableView::OnGuoButton();
}
