// The input bar's dialogs: the safe box, the preset dialog and the
// protection-password keypad, each made once and then shown again.
#include <array>
#include <cstdint>
#include <string>

#include "frame/GameFrameApp.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/InputBar.h"
#include "platform/Dialogs.h"

#include "frame/net/FrameRequests.h"
#include "frame/panels/safebox/NumKeyPadDlg.h"
#include "frame/panels/safebox/SafeBoxDlg.h"
#include "frame/panels/safebox/SafeBoxEvents.h"
#include "frame/panels/safebox/SetDepositDlg.h"
#include "zep/ZepWire.h"

namespace {

constexpr char kOpenWait[] = "正在打开保险箱，请稍等......";

}  // namespace

void CInputBar::OpenSafeBox() {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    if (connection == nullptr) {
        return;
    }
    std::string text;
    std::array<uint8_t, frame_requests::kSafeBoxReplySize> reply{};
    app->PostToCommThread(kOpenWait, true);
    const int ok = connection->QuerySafeBox(text, reply);
    app->PostToCommThread("", false);
    if (ok == 0) {
        platform::ShowMessageBox(app->GetMainWindow(), text, "", 0);
        return;
    }
    // The safe box's silver is the reply's second word.
    ZepWireReader reader(reply);
    int32_t silver = 0;
    reader.Skip(4);
    reader.ReadI32(silver);
    auto* dialog = Part<CSafeBoxDlg>(safeBoxId_);
    if (dialog == nullptr) {
        dialog = new CSafeBoxDlg;
        Register(dialog);
        safeBoxId_ = dialog->GetId();
        dialog->Create(silver);
        dialog->EnableDrag(1);
        dialog->SetZ(kSafeBoxDepth);
    } else if (dialog->GetSilver() != silver) {
        dialog->SetSilver(silver);
        dialog->Invalidate();
    }
    CenterDialog(*dialog);
    dialog->Show();
    PlaySound("snd_msg", 1, nullptr);
}

void CInputBar::OpenSetDeposit() {
    auto* dialog = Part<CSetDepositDlg>(setDepositId_);
    if (dialog == nullptr) {
        // Registering runs the dialog's (argument-free) Create.
        dialog = new CSetDepositDlg;
        Register(dialog);
        setDepositId_ = dialog->GetId();
        dialog->SetZ(kSetDepositDepth);
        dialog->EnableDrag(1);
    }
    dialog->SetValues(presets_);
    CenterDialog(*dialog);
    dialog->Show();
    dialog->Invalidate();
}

void CInputBar::ShowKeypad(int show, int32_t calcNumber, int route) {
    auto* keypad = Part<CNumKeyPadDlg>(keypadId_);
    if (show == 0) {
        if (keypad != nullptr) {
            keypad->Hide();
            keypad->Invalidate();
        }
        return;
    }
    if (keypad == nullptr) {
        keypad = new CNumKeyPadDlg;
        Register(keypad);
        keypadId_ = keypad->GetId();
        keypad->Create(calcNumber);
        keypad->EnableDrag(1);
        keypad->SetZ(kKeypadDepth);
    } else if (keypad->IsVisible() && keypad->GetRoute() == route) {
        return;
    }
    keypad->SetCalcNumber(calcNumber);
    keypad->ClearPassword();
    keypad->SetFromInputBar(route);
    CenterDialog(*keypad);
    keypad->Show();
    keypad->Invalidate();
}

bool CInputBar::KeypadOpenForBar() {
    auto* keypad = Part<CNumKeyPadDlg>(keypadId_);
    return keypad != nullptr && keypad->IsVisible() != 0 &&
           keypad->GetRoute() == kKeypadRouteInputBar;
}

int32_t CInputBar::GetKeypadResult() {
    auto* keypad = Part<CNumKeyPadDlg>(keypadId_);
    return keypad != nullptr ? keypad->GetCalcResult() : 0;
}

void CInputBar::CenterSafeBoxChildren() {
    if (auto* dialog = Part<CSafeBoxDlg>(safeBoxId_); dialog != nullptr && dialog->IsVisible()) {
        dialog->CenterChildDialogs();
    }
}
