// The regional table's automatic top-up from the safe box and its in-table
// dialogs.
#include <array>
#include <string>

#include "frame/GameFrameApp.h"
#include "frame/net/GameConnection.h"
#include "game/dialogs/AutoFixDlg.h"
#include "game/dialogs/AutoFixSettings.h"
#include "game/dialogs/GameSetDlg.h"
#include "game/dialogs/SecurePwdDlg.h"
#include "game/table/RegionalTableView.h"
#include "platform/BlockingSleep.h"

namespace {

constexpr char kQueryWait[] = "正在查询保护密码，请稍等......";
constexpr char kTakeWait[] = "正在取银子，请您稍等......";
constexpr int kQueryWords = 6;
constexpr int kMessageSeconds = 10;

int32_t OwnSilver(CGameFrameApp& app) {
    return app.GetSeat(app.GetMyChairNo()).silver;
}

}  // namespace

CCorvaneObject* CRegionalTableView::NewGameSetDlg() {
    return new CGameSetDlg;
}

CCorvaneObject* CRegionalTableView::NewAutoFixDlg() {
    return new CAutoFixDlg;
}

CCorvaneObject* CRegionalTableView::NewSecurePwdDlg() {
    return new CSecurePwdDlg;
}

int CRegionalTableView::QueryProtectPassword(std::string& text, std::span<int32_t> out,
                                             uint32_t& result) {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    return connection != nullptr ? connection->QueryTake(text, out, result) : 0;
}

int CRegionalTableView::TransferIntoGame(std::string& text, int32_t silver, int32_t answer) {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    return connection != nullptr ? connection->TransferIntoGame(text, silver, answer) : 0;
}

std::string CRegionalTableView::GetSecurePwdResetUrl() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? auto_fix::ResetPageUrl(app->GetAdvertHost()) : std::string();
}

void CRegionalTableView::CheckAutoFix() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || app->IsLookOn()) {
        return;
    }
    const auto_fix::Settings settings = auto_fix::Read(app->GetUserDataFile());
    m_nAutoFixAmount = settings.amount;
    m_bAutoFix = settings.on;
    if (m_bAutoFix != 0 && OwnSilver(*app) < m_nAutoFixAmount) {
        StartAutoFix(m_nAutoFixAmount);
    }
}

void CRegionalTableView::StartAutoFix(int amount) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    const int32_t silver = OwnSilver(*app);
    if (amount <= silver) {
        return;
    }
    // Worked out in 64 bits (a negative silver could take the difference past
    // the int range) and clamped for the take.
    const int64_t missing = int64_t{amount} - silver;
    const int32_t toTake = missing > INT32_MAX ? INT32_MAX : static_cast<int32_t>(missing);
    std::string text;
    std::array<int32_t, kQueryWords> query{};
    uint32_t result = 0;
    app->PostToCommThread(kQueryWait, true);
    const int protectedBox = QueryProtectPassword(text, query, result);
    app->PostToCommThread("", false);
    platform::BlockingSleep(kSafeBoxPauseMs);
    if (protectedBox != 0) {
        auto* prompt = dynamic_cast<CSecurePwdDlg*>(GetSecurePwdDlg());
        if (prompt == nullptr) {
            // Registered with the table, the prompt lives as long as it.
            securePwdDlgId_ = AdoptPart(NewSecurePwdDlg());
            prompt = dynamic_cast<CSecurePwdDlg*>(GetSecurePwdDlg());
            if (prompt == nullptr) {
                return;
            }
            prompt->Create(query[1]);
            prompt->EnableDrag(1);
            prompt->SetZ(kSecurePwdDepth);
            prompt->Hide();
        }
        if (prompt->IsVisible() == 0) {
            // Each showing takes the difference of its own check.
            prompt->SetSilverToTake(toTake);
            prompt->SetAmount(query[1]);
            prompt->ClearPassword();
            prompt->SetFromInputBar(kKeypadRouteInputBar);
            prompt->SetPos(GetBufferWidth() / 2, GetBufferHeight() / 2);
            prompt->Show();
            prompt->Invalidate();
        }
        return;
    }
    if (result == kResultNoProtectPassword) {
        TakeSilverForAutoFix(toTake, 0);
        return;
    }
    app->ShowInfoBox(text.c_str(), nullptr, nullptr, kMessageSeconds, 0, nullptr);
}

void CRegionalTableView::TakeSilverForAutoFix(int silver, uint32_t password) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    std::string text;
    app->PostToCommThread(kTakeWait, true);
    const int taken = TransferIntoGame(text, silver, static_cast<int32_t>(password));
    app->PostToCommThread("", false);
    platform::BlockingSleep(kSafeBoxPauseMs);
    if (taken != 0) {
        return;
    }
    if (!app->IsGamePlaying()) {
        m_bAutoFix = 0;
    }
    app->AppendChatText(auto_fix::FailureLine(text, GetSecurePwdResetUrl()));
}
