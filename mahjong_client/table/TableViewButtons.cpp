// The operation buttons, the start and look-card buttons and the skill
// panel.
#include <algorithm>
#include <array>

#include "engine/ui/CorvaneButton.h"
#include "frame/FrameFunctions.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/net/MahjongConnection.h"
#include "mahjong_client/table/MahjongTableView.h"

namespace tp = table_protocol;

namespace {

struct ButtonSpec {
    const char* image;
    int event;
};

// The operation buttons in their slot order: Guo, Hu, Gang, Peng, Chi.
constexpr std::array<ButtonSpec, 5> kOperationButtons = {{
    {"btn_Guo_big", kEventGuoButton},
    {"btn_Hu_big", kEventHuButton},
    {"btn_Gang_big", kEventGangButton},
    {"btn_Peng_big", kEventPengButton},
    {"btn_Chi_big", kEventChiButton},
}};

// The slot of each operation kind 1..5 (peng, gang, chi, hu, guo).
constexpr std::array<int, 6> kSlotOfKind = {-1, 3, 2, 4, 1, 0};

constexpr int kDefaultButtonSize = 43;
constexpr size_t kButtonSlots = kOperationButtons.size();

}  // namespace

int CMahjongTableView::MakeTableButton(const char* image, int event) {
    if (IsRegistered() == 0) {
        return 0;
    }
    auto* button = new CCorvaneButton;
    Register(button);
    const EventRecord notify = MakeEventRecord(GetId(), event, 0, 0);
    button->Create(GetSkinFrame(image), &notify, 0, 0);
    button->SetSound(kButtonLookHover, "SndTouchButton");
    button->SetSound(kButtonLookPressed, "SndHitButton");
    button->SetZ(kButtonDepth);
    button->Hide();
    return button->GetId();
}

void CMahjongTableView::CreateOperationButtons() {
    for (size_t slot = 0; slot < kOperationButtons.size(); ++slot) {
        if (operationButtonIds_[slot] == 0) {
            operationButtonIds_[slot] =
                MakeTableButton(kOperationButtons[slot].image, kOperationButtons[slot].event);
            if (auto* button = FindButton(operationButtonIds_[slot])) {
                button->SetInputEnabled(0);
            }
        }
    }
    if (startButtonId_ == 0) {
        startButtonId_ = MakeTableButton("btn_StartGame", kEventStartButton);
        // A player who sits down between hands starts with it.
        CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
        if (app != nullptr && !app->IsGamePlaying() && !IsLookingOn()) {
            ShowViewPart(startButtonId_);
        }
    }
    if (askCardViewButtonId_ == 0) {
        askCardViewButtonId_ = MakeTableButton("btn_AskCardView", kEventAskCardView);
    }
    LayoutOperationButtons();
}

CCorvaneButton* CMahjongTableView::FindButton(int id) {
    return id != 0 ? dynamic_cast<CCorvaneButton*>(FindObjectById(id)) : nullptr;
}

CCorvaneButton* CMahjongTableView::GetOperationButton(int kind) {
    if (kind < kOpPeng || kind > kOpGuo) {
        return nullptr;
    }
    return FindButton(operationButtonIds_[static_cast<size_t>(kSlotOfKind[kind])]);
}

bool CMahjongTableView::IsOperationButtonOn(int kind) {
    CCorvaneButton* button = GetOperationButton(kind);
    return button != nullptr && button->IsVisible() != 0 && button->IsInputEnabled() != 0;
}

void CMahjongTableView::LayoutOperationButtons() {
    const TableGeometry& g = geometry_;
    if (g.width <= 0 || g.height <= 0) {
        return;  // no layout yet
    }
    int bw = kDefaultButtonSize;
    int bh = kDefaultButtonSize;
    if (CCorvaneButton* guo = GetOperationButton(kOpGuo); guo != nullptr && guo->GetWidth() > 0) {
        bw = static_cast<int>(guo->GetWidth());
        bh = static_cast<int>(guo->GetHeight());
    }
    // The buttons take the free corner right of the wall and above the own
    // row, as a grid from the bottom right, so they never cover a tile: a
    // row of five where it is wide enough, else as many columns as fit.
    const auto& m = placeMetrics_;
    const int gap = std::max(m[9], 4);
    const int freeLeft = g.centreX + g.wallOuter / 2 + gap;
    const int freeRight = g.rightRowRight - std::max(m[4], m[14]) - gap;
    const int ownTop = g.ownBottom - m[1] - m[17];
    const int columns =
        std::clamp((freeRight - freeLeft) / std::max(bw, 1), 1, static_cast<int>(kButtonSlots));
    auto place = [&](CCorvaneButton* button, int slot) {
        if (button == nullptr) {
            return;
        }
        const int column = slot % columns;
        const int line = slot / columns;
        button->SetPos(freeRight - (columns - column) * bw + bw / 2,
                       ownTop - gap - bh / 2 - line * bh);
        button->Invalidate();
    };
    for (size_t slot = 0; slot < kButtonSlots; ++slot) {
        place(FindButton(operationButtonIds_[slot]), static_cast<int>(slot));
    }
    // A looker-on has no operation buttons: the ask takes the first place.
    place(FindButton(askCardViewButtonId_), 0);
    if (CCorvaneButton* start = FindButton(startButtonId_)) {
        start->SetPos(g.centreX, g.centreY);
        start->Invalidate();
    }
}

void CMahjongTableView::ShowOperationButtons(int show) {
    if (IsLookingOn()) {
        show = 0;
    }
    CMahjongTableData* data = GetMahjongTableData();
    const bool chiShown = data != nullptr && data->GetChiRule() != 0;
    for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
        CCorvaneButton* button = GetOperationButton(kind);
        if (button == nullptr) {
            continue;
        }
        if (show != 0 && (kind != kOpChi || chiShown)) {
            button->Show();
        } else {
            button->Hide();
        }
        button->Invalidate();
    }
}

void CMahjongTableView::SetAllOperationButtons(int on) {
    for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
        SetOperationButton(kind, on);
    }
}

void CMahjongTableView::SetOperationButton(int kind, int on) {
    CCorvaneButton* button = GetOperationButton(kind);
    if (IsLookingOn() || button == nullptr) {
        return;
    }
    if (on != 0) {
        FlashMainWindow();
    } else if (kind == kOpGang) {
        gangIdle_ = 1;
        button->SetFaceImage(GetSkinFrame("btn_Gang_big"), 0);
    } else if (kind == kOpChi) {
        chiIdle_ = 1;
        button->SetFaceImage(GetSkinFrame("btn_Chi_big"), 0);
    }
    button->SetInputEnabled(on != 0 ? 1 : 0);
}

void CMahjongTableView::RefreshOperationButtons() {
    LayoutOperationButtons();
    SetAllOperationButtons(0);
    ShowOperationButtons(IsLookingOn() ? 0 : 1);
}

int CMahjongTableView::OnHuButton() {
    if (IsLookingOn()) {
        return 0;
    }
    const OperationOffer& hu = GetOffer(kOpHu);
    const int own = GetOwnChair();
    int kind = tp::kHuOnDiscard;
    if (hu.huGangKind != 0) {
        kind = tp::kHuRobbingKong;
    } else if (hu.chair == own) {
        kind = tp::kHuSelfDrawn;
    }
    const int claimed = SendHuClaim(hu.chair, hu.tile, kind, hu.huGangKind);
    // A refused claim leaves the offer open.
    if (claimed != 0) {
        SetAllOperationButtons(0);
    }
    return claimed;
}

int CMahjongTableView::OnChiButton() {
    if (IsLookingOn()) {
        return 0;
    }
    std::array<int32_t, kRowSize> raised{};
    if (GetRaisedTiles(raised.data()) != 2) {
        // The player now picks the two own tiles of the chi.
        chiIdle_ = 0;
        SetTableState(kStateChiChoice);
        RefreshHandSprites(kOwnPosition);
        return 0;
    }
    const OperationOffer& chi = GetOffer(kOpChi);
    const int result = SendChiClaim(chi.chair, chi.tile, raised[0], raised[1]);
    if (result == static_cast<int>(tp::kResultHeld)) {
        // A claim of higher rank may still come: the chi stays open.
        operationHeld_ = 1;
        tableState_ = kStateChiChoice;
        return 0;
    }
    if (result != static_cast<int>(tp::kResultDone)) {
        return 0;
    }
    MeldRecord meld{};
    meld[3] = GetOwnChair();
    meld[4] = chi.chair;
    meld[5] = chi.tile;
    meld[6] = raised[0];
    meld[7] = raised[1];
    meld[8] = tp::kNoTile;
    operationHeld_ = 0;
    tableState_ = kStateNormal;
    timedOut_ = 0;
    throwWait_ = 0;
    SetAllOperationButtons(0);
    ClearHandMarks();
    if (CMahjongTableData* data = GetMahjongTableData()) {
        SetClockSeconds(data->GetReactionTime());
    }
    MoveTurnIndicator(GetTurnDirection(), 2 * kOwnPosition);
    PlaceMeld(kOwnPosition, kOpChi, meld, 0);
    RefreshHandSprites(kOwnPosition);
    ShowArrow(kOwnPosition);
    return 1;
}

int CMahjongTableView::OnGuoButton() {
    if (IsLookingOn()) {
        return 0;
    }
    SetAllOperationButtons(0);
    const OperationOffer& pass = GetOffer(kOpGuo);
    const bool onThrow = pass.chair >= 0 && pass.chair != GetOwnChair();
    const int sent =
        onThrow ? SendPass(pass.chair, pass.tile) : SendPass(GetOwnChair(), drawnTile_);
    for (OperationOffer& offer : offers_) {
        offer.offered = 0;
    }
    operationHeld_ = 0;
    ResetOperationState();
    return sent;
}

int CMahjongTableView::OnPengButton() {
    return 0;
}

int CMahjongTableView::OnGangButton() {
    return 0;
}

void CMahjongTableView::OnAskCardView() {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || !IsLookingOn()) {
        return;
    }
    connection->SendLookCardAsk(GetOwnChair());
}

void CMahjongTableView::ShowSkillPanel() {}
void CMahjongTableView::HideSkillPanel() {}
void CMahjongTableView::SlidePanel(int /*flag*/) {}
