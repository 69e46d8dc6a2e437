// The regional table buttons and the automatic welfare claim.
//
// The buttons are made hidden by the view's button factory; the layout
// places them and the game's phases show them. The automatic claim is made
// between hands for a player whose game and safe-box silver together fall
// below a fixed line.
#include <array>
#include <string>

#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "game/table/RegionalTableView.h"

namespace {

struct RegionalButtonSpec {
    const char* image;
    int event;
};

constexpr char kVoiceImage[] = "语音";
constexpr char kTingImage[] = "Btn_Ting";
constexpr char kSwapChoiceImage[] = "Change_Info";
constexpr char kSwapInfoImage[] = "换牌信息按钮";
constexpr char kQrChargeImage[] = "Btn_二维码充值";
constexpr char kAutoFixImage[] = "Btn_自动补银";
constexpr char kWelfareImage[] = "低保";
// The safe box's balance in the 200040 reply.
constexpr size_t kSafeBoxBalanceAt = 4;

}  // namespace

void CRegionalTableView::CreateOperationButtons() {
    CMahjongTableView::CreateOperationButtons();
    CreateMeldAnimation();
    const auto make = [&](int& id, const char* image, int event) {
        if (FindButton(id) == nullptr) {
            id = MakeRegionalButton(image, event);
        }
    };
    make(voiceButtonId_, kVoiceImage, kEventVoiceButton);
    make(tingButtonId_, kTingImage, kEventTingButton);
    make(swapChoiceButtonId_, kSwapChoiceImage, kEventSwapChoice);
    make(swapInfoShowButtonId_, kSwapInfoImage, kEventSwapInfoToggle);
    make(swapInfoHideButtonId_, kSwapInfoImage, kEventSwapInfoToggle);
    make(qrChargeButtonId_, kQrChargeImage, kEventQrCharge);
    make(autoFixButtonId_, kAutoFixImage, kEventAutoFixButton);
    make(welfareButtonId_, kWelfareImage, kEventWelfareButton);
    // The voice box is the players' own; lookers-on lose the button at the
    // game start.
    ShowPart(GetVoiceButton());
    // A welfare activity announced earlier shows its button.
    if (!IsLookingOn()) {
        GetWelfare().UpdateWelfareButton(1);
    }
}

void CRegionalTableView::AutoApplyWelfare() {
    CWelfareAllowance& welfare = GetWelfare();
    welfare.RefreshWelfareConfig();
    WelfareConfig config{};
    welfare.LoadWelfareConfig(config);
    if (IsAutoWelfareAllowed(config) != 0) {
        ApplyWelfare(config);
    }
}

int CRegionalTableView::IsAutoWelfareAllowed(const WelfareConfig& config) {
    if (config.status != 1 || GetWelfare().GetWelfareCountToday() >= config.daily_num) {
        return 0;
    }
    const int64_t now = welfareClock_.now();
    if (now < config.begin_time || now > config.end_time) {
        return 0;
    }
    int64_t silver = 0;
    if (!QueryOwnTotalSilver(silver)) {
        return 0;
    }
    return silver < kAutoWelfareLine ? 1 : 0;
}

bool CRegionalTableView::QueryOwnTotalSilver(int64_t& total) {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    if (connection == nullptr) {
        return false;
    }
    std::array<uint8_t, frame_requests::kSafeBoxReplySize> reply{};
    std::string text;
    if (connection->QuerySafeBox(text, reply) == 0) {
        return false;
    }
    // Two 32-bit amounts; their sum is not.
    total = int64_t{app->GetSeat(app->GetMyChairNo()).silver} +
            int64_t{WordAt(reply, kSafeBoxBalanceAt)};
    return true;
}

void CRegionalTableView::ApplyWelfare(const WelfareConfig& config) {
    ClaimWelfare(config.ActID, 0);
}

void CRegionalTableView::SetWelfareClock(const WelfareClock& clock) {
    welfareClock_ = clock;
    GetWelfare().SetClock(clock);
}
