// The regional table view's own program events (80001169 to 80001189):
// deal steps, the regional buttons and panels, the swap-three exchange, the
// dice and the ting tile clicks. Other events go to the mahjong table.
#include <cstring>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongApp.h"
#include "zep/ZepLog.h"

int CRegionalTableView::OnEvent(const EventRecord& record) {
    const int id = record.event;
    if (id < kEventRegionalFirst || id > kEventRegionalLast || id == kEventBubbleDone ||
        id == kEventRegionalSpare) {
        return CMahjongTableView::OnEvent(record);
    }
    switch (id) {
        case kEventDealStep: {
            std::vector<uint8_t> bytes;
            DealStepRecord step;
            if (TakeEventRecord(record, bytes) && bytes.size() == sizeof step) {
                std::memcpy(&step, bytes.data(), sizeof step);
                DealStep(static_cast<int>(record.param1), step);
            }
            break;
        }
        case kEventMeldAnimationDoneA:
        case kEventMeldAnimationDoneB:
            HidePart(GetMeldAnimation());
            break;
        case kEventVoiceButton:
            OnVoiceButtonEvent();
            break;
        case kEventVoiceBoxClose:
            if (CCorvaneObject* box = GetVoiceBox(); box != nullptr && box->IsVisible() != 0) {
                HidePart(box);
            }
            break;
        case kEventWelfareButton:
            if (CCorvaneButton* button = GetWelfareButton()) {
                button->SetInputEnabled(0);
                welfare_.OnWelfareButton();
                PostEventAfter(kWelfareCoolDownMs,
                               MakeEventRecord(GetId(), kEventWelfareCooled, 0, 0));
            }
            break;
        case kEventWelfareCooled:
            if (CCorvaneButton* button = GetWelfareButton()) {
                button->SetInputEnabled(1);
            }
            break;
        case kEventSwapChoice:
            ConfirmSwapChoice();
            break;
        case kEventSwapApply: {
            std::vector<uint8_t> bytes;
            if (TakeEventRecord(record, bytes)) {
                ApplySwapResult(bytes);
            }
            break;
        }
        case kEventSwapInfoToggle:
            OnSwapInfoToggle();
            break;
        case kEventQrCharge:
            OpenQrCharge();
            break;
        case kEventAutoFixButton:
            if (CCorvaneObject* dialog = GetAutoFixDlg();
                dialog != nullptr && dialog->IsVisible() == 0) {
                OpenPart(dialog, kDialogDepth);
            }
            break;
        case kEventCheckAutoFix:
            CheckAutoFix();
            break;
        case kEventSecurePwdOk:
            TakeSilverForAutoFix(static_cast<int>(record.param1),
                                 static_cast<uint32_t>(record.param2));
            break;
        case kEventHideDice:
            if (record.param1 == 1 || record.param1 == 2) {
                const size_t first = record.param1 == 1 ? 0 : 2;
                CCorvanePicture* a = FindPictureById(diceIds_[first]);
                CCorvanePicture* b = FindPictureById(diceIds_[first + 1]);
                if (a != nullptr && b != nullptr) {
                    HidePart(a);
                    HidePart(b);
                }
            }
            break;
        case kEventTingButton:
            OnTingButton();
            break;
        case kEventTingTileClick:
            return OnTingTileEvent(record);
        case kEventPointerMoved:
            OnPointerMoved(record);
            break;
        default:
            break;
    }
    return 1;
}

void CRegionalTableView::OnVoiceButtonEvent() {
    CCorvaneObject* box = GetVoiceBox();
    if (box == nullptr) {
        return;
    }
    if (box->IsVisible() != 0) {
        HidePart(box);
        return;
    }
    if (CCorvaneButton* button = GetVoiceButton()) {
        box->SetPos(button->GetRight() - box->GetWidth() / 2 + 10,
                    button->GetTop() - box->GetHeight() / 2);
    }
    if (CCorvaneObject* list = GetVoicePhraseList()) {
        list->SetPos(box->GetRight() - box->GetWidth() / 2,
                     box->GetTop() + box->GetHeight() / 2 + 16);
    }
    OpenPart(box, kPanelDepth);
    SetFocus(box->GetId());
}

void CRegionalTableView::OnSwapInfoToggle() {
    CCorvaneCanvas* panel = GetSwapInfoPanel();
    if (panel == nullptr) {
        return;
    }
    CCorvaneButton* show = GetSwapInfoShowButton();
    CCorvaneButton* hide = GetSwapInfoHideButton();
    if (panel->IsVisible() == 0) {
        OpenPart(panel, kPanelDepth);
        ShowPart(hide);
        HidePart(show);
    } else {
        HidePart(panel);
        ShowPart(show);
        HidePart(hide);
    }
}

int CRegionalTableView::OnTingTileEvent(const EventRecord& record) {
    if (record.param1 < 0 || record.param1 >= kCardPoolSize) {
        return 0;
    }
    CCardSprite* sprite = GetEventSprite(record);
    if (sprite == nullptr) {
        return 0;
    }
    if (sprite->position == 3 && sprite->kind == CCardSprite::kKindHand &&
        sprite->meldKind == CCardSprite::kMeldNone && sprite->meldMark == 0) {
        OnTingTileClick(sprite);
    }
    return 1;
}
