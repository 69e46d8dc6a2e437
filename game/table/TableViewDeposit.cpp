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

void CRegionalTableView::PlaceDepositPanel(bool showing) {
    CCorvaneCanvas* panel = GetDepositPanel();
    if (panel == nullptr) {
        return;
    }
    const DepositVariant& variant = depositSmall_ != 0 ? kSmall : kBig;
    const IntRect area = GetViewRect();
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    panel->SetPos(area.left + w / 2 + static_cast<int>(panel->GetWidth()) / 2,
                  area.top - 35 + h / 2);
    const double left = panel->GetLeft();
    const double top = panel->GetTop();
    if (CDigitDisplay* digits = GetDepositDigits()) {
        const TablePoint at = depositShowsWild_ != 0 ? variant.numberWildAt : variant.numberAt;
        digits->SetPos(left + at.x + digits->GetWidth() / 2, top + at.y + digits->GetHeight() / 2);
        digits->Invalidate();
    }
    CCorvaneCanvas* wild = FindCanvasById(depositWildCanvasId_);
    if (wild == nullptr) {
        return;
    }
    if (depositShowsWild_ == 0 || depositWildFrame_ < 0) {
        wild->Hide();
        wild->Invalidate();
        return;
    }
    const FrameRecord face = GetSkinFrame(kTileSheet, depositWildFrame_);
    const int tileW = std::max(face.width, 1);
    const int tileH = std::max(face.height, 1);
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
