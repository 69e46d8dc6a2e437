#include "game/dialogs/SecurePwdDlg.h"

#include "engine/CorvaneView.h"
#include "frame/GameFrameApp.h"

void CSecurePwdDlg::SubmitPassword() {
    const size_t length = GetPassword().size();
    const bool lengthAccepted = length >= kMinDigits && length <= kMaxDigits;
    CNumKeyPadDlg::SubmitPassword();
    // The keypad closes exactly when it took the password.
    if (!lengthAccepted || IsVisible() != 0) {
        return;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    CCorvaneView* view = app != nullptr ? app->GetGameView() : nullptr;
    if (view == nullptr) {
        return;
    }
    PostEventAfter(kTakeDelayMs,
                   MakeEventRecord(view->GetId(), kEventTakeSilver, silverToTake_,
                                   static_cast<intptr_t>(static_cast<uint32_t>(GetCalcResult()))));
}
