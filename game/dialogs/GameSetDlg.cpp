#include "game/dialogs/GameSetDlg.h"

#include "engine/EngineLog.h"
#include "engine/ui/CorvaneCheckBox.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/dialogs/DialogParts.h"

using namespace dialog_parts;

namespace {

struct RowLook {
    CGameSetDlg::Row row;
    const char* text;
    int width;
};

// Screen order, top to bottom.
constexpr std::array<RowLook, CGameSetDlg::kRowCount> kScreenRows = {{
    {CGameSetDlg::kQuickCatch, "快速抓牌（可能会泄漏牌张信息，高手之间打牌慎用）", 310},
    {CGameSetDlg::kMusic, "打开背景音乐", 100},
    {CGameSetDlg::kSoundEffect, "打开游戏音效", 100},
    {CGameSetDlg::kKeepSilence, "打牌时保持安静", 105},
    {CGameSetDlg::kRejectLook, "不接受看牌请求", 105},
}};
constexpr int kRowGap = 28;
// The labels below the first start here, so that their texts line up.
constexpr double kLabelLeft = 30;

}  // namespace

int& CGameSetDlg::Setting(GameSettings& settings, Row row) {
    switch (row) {
        case kQuickCatch:
            return settings.quickCatch;
        case kSoundEffect:
            return settings.soundEffect;
        case kMusic:
            return settings.bkMusic;
        case kKeepSilence:
            return settings.keepSilence;
        default:
            return settings.rejectKanPaiAsk;
    }
}

CCorvaneCheckBox* CGameSetDlg::GetBox(Row row) {
    if (row < 0 || row >= kRowCount) {
        return nullptr;
    }
    return dynamic_cast<CCorvaneCheckBox*>(FindObjectById(boxIds_[size_t(row)]));
}

CCorvaneObject* CGameSetDlg::GetLabel(Row row) {
    if (row < 0 || row >= kRowCount) {
        return nullptr;
    }
    return FindObjectById(labelIds_[size_t(row)]);
}

CCorvaneObject* CGameSetDlg::GetBody() {
    return FindObjectById(bodyId_);
}

CCorvaneObject* CGameSetDlg::GetOkButton() {
    return FindObjectById(okId_);
}

CCorvaneObject* CGameSetDlg::GetCancelButton() {
    return FindObjectById(cancelId_);
}

void CGameSetDlg::Create() {
    bodyId_ = MakeBody(*this, kBodyImage);
    CCorvaneObject* body = GetBody();
    if (body == nullptr) {
        EngineLog("settings dialog: no body");
        return;
    }
    GameSettings& settings = CRegionalMahjongApp::Instance()->Settings();
    const double left = body->GetLeft();
    const double top = body->GetTop();
    const double right = body->GetRight();
    const double centreX = left + body->GetWidth() / 2;
    const int ch = CheckBoxHeight(*this);
    const double x0 = left + 35;
    double y = top + 55;
    for (const RowLook& look : kScreenRows) {
        const size_t at = size_t(look.row);
        boxIds_[at] = MakeCheckBox(*this, *body, Setting(settings, look.row), x0, y);
        const bool first = look.row == kQuickCatch;
        const double labelX = first ? centreX - 40 : left + kLabelLeft + look.width / 2.0;
        labelIds_[at] = MakeLabel(*this, *body, look.width, ch, labelX, y, look.text,
                                  first ? 20 : 18, 2, kLabelEvents[at]);
        y += kRowGap;
    }
    okId_ = MakeButton(*this, *body, kOkImage, kEventOk);
    const double okWidth = PartWidth(*this, okId_);
    Place(*this, okId_, right - 1.5 * okWidth - 35, top + 205);
    cancelId_ = MakeButton(*this, *body, kCancelImage, kEventCancel);
    Place(*this, cancelId_, right - okWidth / 2 - 25, top + 205);
    const int close = MakeButton(*this, *body, kCloseImage, kEventCancel);
    Place(*this, close, right - PartWidth(*this, close) / 2 - 5,
          top + PartHeight(*this, close) / 2 + 8);
    body->SetZ(kDialogDepth);
    body->Invalidate();
}

int CGameSetDlg::State(Row row) {
    CCorvaneCheckBox* box = GetBox(row);
    return box != nullptr ? box->GetCheck() : 0;
}

void CGameSetDlg::Set(Row row, int state) {
    if (CCorvaneCheckBox* box = GetBox(row)) {
        box->SetCheck(state);
    }
}

void CGameSetDlg::Toggle(Row row) {
    Set(row, State(row) == 0 ? 1 : 0);
}

void CGameSetDlg::CoupleQuiet(Row changed, Row other) {
    Toggle(changed);
    if (State(changed) != 0) {
        Set(kKeepSilence, 0);
    } else if (State(other) == 0) {
        Set(kKeepSilence, 1);
    }
}

void CGameSetDlg::RestoreBoxes() {
    GameSettings& settings = CRegionalMahjongApp::Instance()->Settings();
    for (int row = 0; row < kRowCount; ++row) {
        Set(Row(row), Setting(settings, Row(row)));
    }
}

int CGameSetDlg::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kLabelEvents[kQuickCatch]:
            Toggle(kQuickCatch);
            return 1;
        case kLabelEvents[kSoundEffect]:
            CoupleQuiet(kSoundEffect, kMusic);
            return 1;
        case kLabelEvents[kMusic]:
            CoupleQuiet(kMusic, kSoundEffect);
            return 1;
        case kLabelEvents[kKeepSilence]: {
            Toggle(kKeepSilence);
            const int other = State(kKeepSilence) == 0 ? 1 : 0;
            Set(kSoundEffect, other);
            Set(kMusic, other);
            return 1;
        }
        case kLabelEvents[kRejectLook]:
            Toggle(kRejectLook);
            return 1;
        case kEventOk:
            OnOK();
            Close(*this);
            return 1;
        case kEventCancel:
            RestoreBoxes();
            Close(*this);
            return 1;
        default:
            return CCorvaneObject::OnEvent(record);
    }
}

void CGameSetDlg::OnOK() {
    CRegionalMahjongApp* app = CRegionalMahjongApp::Instance();
    GameSettings& settings = app->Settings();
    for (int row = 0; row < kRowCount; ++row) {
        Setting(settings, Row(row)) = State(Row(row));
    }
    if (CCorvaneObject* table = FindObjectByName(kTableViewName)) {
        table->OnEvent(MakeEventRecord(0, kEventApplyMusic, 0, 0));
    }
    app->SaveGameSettings();
}
