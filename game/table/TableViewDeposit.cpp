// The deposit-info panel of the regional table: the hand's base stake and,
// when the hand has one, its wild tile, in a small or big variant by the
// height of the screen.
#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/panels/DigitDisplay.h"

namespace {

// The pictures and places of one variant of the panel.
struct DepositVariant {
    const char* background;
    const char* deposit;
    const char* joker;
    const char* digits;
    const char* unit;
    TablePoint depositAt;      // without a wild tile
    TablePoint depositWildAt;  // with one
    TablePoint jokerAt;
    TablePoint tileOffset;    // of the wild tile's centre from the panel's left and y
    TablePoint numberAt;      // without a wild tile
    TablePoint numberWildAt;  // with one
};

constexpr DepositVariant kSmall = {"gameinfo_bk_small",
                                   "info_deposite_small",
                                   "info_joker_small",
                                   "digit_basesdeposit_small",
                                   "deposit_liang_small",
                                   {1, 15},
                                   {1, 3},
                                   {3, 25},
                                   {75, 10},
                                   {60, 21},
                                   {60, 10}};
constexpr DepositVariant kBig = {"gameinfo_bk_big",
                                 "info_deposite_big",
                                 "info_joker_big",
                                 "digit_basesdeposit_big",
                                 "deposit_liang_big",
                                 {5, 28},
                                 {7, 7},
                                 {5, 50},
                                 {95, 20},
                                 {75, 37},
                                 {76, 15}};
constexpr char kTileSheet[] = "800_middle3";
// Between the deposit group and the discard blocks beside it.
constexpr int kDepositGap = 4;

void DrawAt(CCorvaneCanvas& canvas, const FrameRecord& frame, TablePoint at) {
    if (frame.record != nullptr && frame.width > 0 && frame.height > 0) {
        canvas.DrawImage(frame, at.x, at.y, -1, -1, 0.0, 1.0);
    }
}

}  // namespace

bool CRegionalTableView::IsSmallDepositPanel() {
    return GetImageHeight() < kBigDepositHeight;
}

void CRegionalTableView::ShowDepositInfo() {
    CCorvaneCanvas* panel = GetDepositPanel();
    if (panel == nullptr) {
        return;
    }
    const DepositVariant& variant = IsSmallDepositPanel() ? kSmall : kBig;
    CMahjongTableData* data = GetMahjongTableData();
    const int32_t stake = data != nullptr ? data->GetBaseSilver() : 0;
    const int32_t wildTile = data != nullptr ? data->GetWildIndicator() : -1;
    const bool hasWild = wildTile != -1;

    const FrameRecord back = GetSkinFrame(variant.background);
    const int width = std::max(back.width, 1);
    const int height = std::max(back.height, 1);
    panel->Clear();
    panel->Resize(width, height);
    static_cast<CCorvaneObject*>(panel)->Resize(width, height);
    DrawAt(*panel, back, {0, 0});
    if (!hasWild) {
        DrawAt(*panel, GetSkinFrame(variant.deposit), variant.depositAt);
    } else {
        DrawAt(*panel, GetSkinFrame(variant.deposit), variant.depositWildAt);
        DrawAt(*panel, GetSkinFrame(variant.joker), variant.jokerAt);
    }
    depositShowsWild_ = hasWild ? 1 : 0;
    depositWildFrame_ = hasWild ? DepositTileFrame(wildTile) : -1;
    depositSmall_ = &variant == &kSmall ? 1 : 0;

    if (CDigitDisplay* digits = GetDepositDigits()) {
        digits->LoadDigitImages(variant.digits);
        digits->AddGlyph("两", GetSkinFrame(variant.unit));
        digits->SetSuffix("两");
        digits->SetValue(stake);
    }
    PlaceDepositPanel(true);
    panel->Invalidate();
}

int CRegionalTableView::DepositTileFrame(int32_t tileId) {
    for (int i = 0; i < kCardPoolSize; ++i) {
        if (CCardSprite* sprite = GetCardSprite(i)) {
            return sprite->GetCardImageIndex(tileId);
        }
    }
    return 0;
}

void CRegionalTableView::LayoutClockAndPanels() {
    CMahjongTableView::LayoutClockAndPanels();
    PlaceDepositPanel(false);
}

// The panel with its figure and wild tile lies in the corner inside the
// wall above and right of the centre square: the discard blocks of the
// opposite and the right seat leave it free, and the thrown tiles lie in
// the centre square. The group keeps a gap from both blocks; a figure too
// long for the corner reaches on towards the wall, never over a discard.
void CRegionalTableView::PlaceDepositPanel(bool showing) {
    CCorvaneCanvas* panel = GetDepositPanel();
    if (panel == nullptr) {
        return;
    }
    const DepositVariant& variant = depositSmall_ != 0 ? kSmall : kBig;
    const bool wildShown = depositShowsWild_ != 0 && depositWildFrame_ >= 0;
    const FrameRecord face =
        wildShown ? GetSkinFrame(kTileSheet, depositWildFrame_) : FrameRecord{};
    const int tileW = std::max(face.width, 1);
    const int tileH = std::max(face.height, 1);
    CDigitDisplay* digits = GetDepositDigits();
    const TablePoint numberAt = depositShowsWild_ != 0 ? variant.numberWildAt : variant.numberAt;
    // How far the group reaches below the panel's top.
    double bottom = panel->GetHeight();
    if (digits != nullptr) {
        bottom = std::max(bottom, numberAt.y + digits->GetHeight());
    }
    if (wildShown) {
        bottom = std::max(bottom, panel->GetHeight() / 2 + variant.tileOffset.y + tileH / 2.0);
    }
    const IntRect centre = GetCentreSquare();
    panel->SetPos(centre.right + kDepositGap + panel->GetWidth() / 2,
                  centre.top - kDepositGap - bottom + panel->GetHeight() / 2);
    const double left = panel->GetLeft();
    const double top = panel->GetTop();
    if (digits != nullptr) {
        digits->SetPos(left + numberAt.x + digits->GetWidth() / 2,
                       top + numberAt.y + digits->GetHeight() / 2);
        digits->Invalidate();
    }
    CCorvaneCanvas* wild = FindCanvasById(depositWildCanvasId_);
    if (wild == nullptr) {
        return;
    }
    if (!wildShown) {
        wild->Hide();
        wild->Invalidate();
        return;
    }
    wild->Resize(tileW, tileH);
    static_cast<CCorvaneObject*>(wild)->Resize(tileW, tileH);
    wild->Clear();
    DrawAt(*wild, face, {0, 0});
    wild->SetPos(left + variant.tileOffset.x, panel->GetY() + variant.tileOffset.y);
    if (showing || panel->IsVisible() != 0) {
        wild->Show();
    }
    wild->Invalidate();
}
