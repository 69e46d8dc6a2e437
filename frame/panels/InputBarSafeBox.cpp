// The input bar's silver transfers: the quick-silver presets, the take with
// the protection-password keypad, and the safe-box and preset dialogs.
#include <array>
#include <optional>
#include <string>

#include "frame/GameFrameApp.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/InputBar.h"
#include "frame/panels/safebox/SilverAmounts.h"
#include "frame/view/MatchPanelTexts.h"
#include "platform/Dialogs.h"

namespace {

constexpr char kSaveWait[] = "正在存银子，请您稍候......";
constexpr char kTakeWait[] = "正在取银子，请您稍等......";
constexpr char kQueryWait[] = "正在查询保护密码，请稍等......";
constexpr char kResultPicture[] = "ruv打牌";
constexpr int kResultSeconds = 10;
constexpr int kResultStyle = 0x30;
constexpr int kKeypadRoute = 1;

void ShowMessage(CGameFrameApp& app, const std::string& text) {
    platform::ShowMessageBox(app.GetMainWindow(), text, "", 0);
}

void ShowResult(CGameFrameApp& app, const std::string& text) {
    app.ShowInfoBox(text.c_str(), nullptr, nullptr, kResultSeconds, kResultStyle, kResultPicture);
}

}  // namespace

int64_t CInputBar::OwnSilver() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetSeat(app->GetMyChairNo()).silver : 0;
}

void CInputBar::SetCarriedSilver(int64_t amount) {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    if (connection == nullptr) {
        return;
    }
    const int64_t carried = OwnSilver();
    const SilverChange change = PlanSilverChange(carried, amount);
    if (change.kind == SilverChange::kRefused) {
        ShowMessage(*app, kEnterAmountText);
        return;
    }
    if (change.kind == SilverChange::kEqual) {
        ShowResult(*app, "当前银子等于设定值。");
        return;
    }
    std::string text;
    if (change.kind == SilverChange::kSave) {
        int32_t moved = change.amount;
        uint32_t result = 0;
        app->PostToCommThread(kSaveWait, true);
        const int ok = connection->TransferOutOfGame(text, moved, result);
        app->PostToCommThread("", false);
        if (ok == 0) {
            ShowMessage(*app, text);
            return;
        }
        // The transfer notice corrects the shown silver later.
        ShowResult(
            *app,
            FormatText("设定成功。\r\n\r\n(已经存入保险箱 %d 两，%s当前有银子 %lld 两)", moved,
                       app->GetGameName().c_str(), static_cast<long long>(carried - moved)));
        return;
    }
    std::array<int32_t, 6> take{};
    uint32_t result = 0;
    app->PostToCommThread(kQueryWait, true);
    const int hasPassword = connection->QueryTake(text, take, result);
    app->PostToCommThread("", false);
    if (hasPassword != 0) {
        waitingAmount_ = change.amount;
        ShowKeypad(1, take[1], kKeypadRoute);
        return;
    }
    if (result == frame_requests::kResultNoProtection) {
        QuickTake(change.amount, 0);
        return;
    }
    ShowMessage(*app, text);
}

void CInputBar::QuickTake(int64_t amount, int32_t passwordResult) {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    if (connection == nullptr) {
        return;
    }
    const std::optional<int32_t> moved = TransferableAmount(amount);
    if (!moved) {
        ShowMessage(*app, kEnterAmountText);
        return;
    }
    const int64_t carried = OwnSilver();
    std::string text;
    app->PostToCommThread(kTakeWait, true);
    const int ok = connection->TransferIntoGame(text, *moved, passwordResult);
    app->PostToCommThread("", false);
    if (ok == 0) {
        ShowMessage(*app, text);
        return;
    }
    ShowResult(*app,
               FormatText("设定成功。\r\n\r\n(已经从保险箱中取出 %lld 两，%s当前有银子 %lld 两)",
                          static_cast<long long>(amount), app->GetGameName().c_str(),
                          static_cast<long long>(carried + amount)));
}
