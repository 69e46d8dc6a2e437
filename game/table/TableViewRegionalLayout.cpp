// The regional table's layout on a resize: the dialogs, the swap panel, the
// win pictures, the tiles, the seat boards and the corner buttons.
#include <algorithm>
#include <initializer_list>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "game/result/GameResultDlg.h"
#include "game/table/RegionalTableView.h"

namespace {

// The chat name colours of the regional table.
constexpr int kNameColourSettings[3][2] = {{50013, 0x408000}, {50014, 0xf67130}, {50015, 0x404040}};

constexpr int kSwapPanelLeft = 186;
constexpr int kSwapPanelAboveBottom = 112;
constexpr int kSwapChoiceAboveBottom = 120;
// The bottom right row of buttons: the right edges' insets from the view's
// right, the row's lift off its bottom, and the least gap between buttons.
constexpr double kVoiceButtonInset = 12;
constexpr double kAutoFixInset = 100;
constexpr double kQrChargeInset = 193;
constexpr double kCornerButtonsAboveBottom = 5;
constexpr double kCornerButtonGap = 4;

void CentreAt(CCorvaneObject* part, double x, double y) {
    if (part != nullptr) {
        part->SetPos(x, y);
        part->Invalidate();
    }
}

}  // namespace

void CRegionalTableView::InitCardMetrics(int width, int height) {
    for (const auto& [setting, colour] : kNameColourSettings) {
        SetIntSetting(setting, colour);
    }
    CMahjongTableView::InitCardMetrics(width, height);
}

void CRegionalTableView::Relayout() {
    CMahjongTableView::Relayout();
    const IntRect rect = GetViewRect();
    const int left = rect.left;
    const int top = rect.top;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    InitCardMetrics(width, height);
    const int centreX = left + width / 2;
    const int centreY = top + height / 2;
    CentreAt(GetSetDlg(), centreX, centreY);
    CentreAt(GetResultDlg(), centreX, centreY);
    CentreAt(GetAutoFixDlg(), centreX, centreY);
    CentreAt(GetSwapInfoPanel(), left + kSwapPanelLeft, top + height - kSwapPanelAboveBottom);
    for (int p = 0; p < kPositions; ++p) {
        CCorvanePicture* picture = GetHuPicture(p);
        if (picture == nullptr || picture->IsVisible() == 0) {
            continue;
        }
        const TablePoint anchor = GetHuAnchor(p);
        picture->SetPos(anchor.x, anchor.y);
        picture->SetZ(kHuPictureDepth);
        picture->Show();
        picture->Invalidate();
    }
    for (int i = 0; i < kTilesInWall; ++i) {
        if (CCardSprite* sprite = GetCardSprite(i)) {
            sprite->Refresh();
        }
    }
    for (int p = 0; p < playerCount_ && p < kPositions; ++p) {
        CCardSprite* drawn = GetHandSprite(p, 0);
        if (drawn != nullptr && drawn->active != 0) {
            drawn->Refresh();
        }
    }
    for (int p = 0; p < kPositions; ++p) {
        if (CSeatBoard* board = GetSeatBoard(p)) {
            board->Layout();
        }
    }
    LayoutMeldAnimation();
    LayoutCornerButtons();
    InvalidateAll();
}

void CRegionalTableView::LayoutCornerButtons() {
    const IntRect rect = GetViewRect();
    const double right = rect.right;
    const double bottom = rect.bottom;
    const double top = rect.top;
    const double height = rect.bottom - rect.top;
    const double width = rect.right - rect.left;
    // The bottom row, from the right: the voice button, the swap-info
    // buttons (one shows at a time) beside it, then 自动补银 and 扫码支付 at
    // their own insets, each moved left as far as it must to keep clear of
    // the button to its right.
    double rowLeft = right;
    auto inRow = [&](std::initializer_list<CCorvaneObject*> buttons, double inset) {
        double nextLeft = rowLeft;
        for (CCorvaneObject* button : buttons) {
            if (button == nullptr) {
                continue;
            }
            const double buttonRight = std::min(right - inset, rowLeft - kCornerButtonGap);
            CentreAt(button, buttonRight - button->GetWidth() / 2,
                     bottom - button->GetHeight() / 2 - kCornerButtonsAboveBottom);
            nextLeft = std::min(nextLeft, buttonRight - button->GetWidth());
        }
        rowLeft = nextLeft;
    };
    CCorvaneButton* voice = GetVoiceButton();
    inRow({voice}, kVoiceButtonInset);
    inRow({GetSwapInfoShowButton(), GetSwapInfoHideButton()}, kVoiceButtonInset);
    inRow({GetAutoFixButton()}, kAutoFixInset);
    inRow({GetQrChargeButton()}, kQrChargeInset);
    CCorvaneButton* welfare = GetWelfareButton();
    if (CCorvaneButton* choice = GetSwapChoiceButton()) {
        const double welfareHeight = welfare != nullptr ? welfare->GetHeight() : 0.0;
        // Centred on the view's width, measured from the scene's left edge.
        CentreAt(choice, static_cast<int>(width) / 2,
                 top + height - kSwapChoiceAboveBottom - welfareHeight / 2);
    }
    if (CCorvaneObject* box = GetVoiceBox(); box != nullptr && voice != nullptr) {
        CentreAt(box, voice->GetRight() - box->GetWidth() / 2 + 10,
                 voice->GetTop() - box->GetHeight() / 2);
    }
    if (welfare != nullptr) {
        CentreAt(welfare, right - welfare->GetWidth() / 2, top + welfare->GetHeight() / 2);
    }
}
