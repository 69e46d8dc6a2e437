// The regional table buttons and the automatic welfare claim.
//
// The buttons are made hidden by the view's button factory; the layout
// places them and the game's phases show them. The automatic claim is made
// between hands for a player whose game and safe-box silver together fall
// below a fixed line.
#include <array>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "game/table/RegionalTableView.h"
#include "game/table/TableViewTipButton.h"

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
constexpr char kWelfareTip[] = "银两太少时，领取补助金";
constexpr char kTipFace[] = "宋体";
constexpr int kTipWeight = 400;
constexpr int kTipPadX = 4;
constexpr int kTipPadY = 3;
constexpr int kTipGap = 2;
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
    if (FindButton(welfareButtonId_) == nullptr) {
        welfareButtonId_ = MakeTipButton(kWelfareImage, kEventWelfareButton, kWelfareTip);
    }
    // The voice box and the welfare claim are the players' own; a welfare
    // activity announced earlier shows its button.
    if (!IsLookingOn()) {
        ShowPart(GetVoiceButton());
        GetWelfare().UpdateWelfareButton(1);
    }
}

int CRegionalTableView::MakeTipButton(const char* image, int event, const char* tip) {
    if (IsRegistered() == 0) {
        return 0;
    }
    auto* button = new CTipButton(tip);
    const int id = AdoptPart(button);
    if (id == 0) {
        return 0;
    }
    const EventRecord notify = MakeEventRecord(GetId(), event, 0, 0);
    button->Create(GetSkinFrame(image), &notify, 0, 0);
    button->SetSound(kButtonLookHover, "SndTouchButton");
    button->SetSound(kButtonLookPressed, "SndHitButton");
    button->SetZ(kButtonDepth);
    button->Hide();
    return id;
}

// ---- the tip button ----

CCorvaneCanvas* CTipButton::GetTip() {
    return FindCanvasById(tipId_);
}

void CTipButton::OnMouseEnter() {
    CCorvaneButton::OnMouseEnter();
    ShowTip(true);
}

void CTipButton::OnMouseLeave() {
    CCorvaneButton::OnMouseLeave();
    ShowTip(false);
}

void CTipButton::ShowTip(bool show) {
    CCorvaneCanvas* tip = GetTip();
    if (!show || tip_.empty()) {
        if (tip != nullptr) {
            tip->Hide();
            tip->Invalidate();
        }
        return;
    }
    if (tip == nullptr) {
        tip = CreateCanvas(1, 1, kDefaultColorKey);
        if (tip == nullptr) {
            return;
        }
        tipId_ = tip->GetId();
        tip->SetFont(kTipFontSize, kTipWeight, kTipFace);
        int width = 0;
        int height = 0;
        tip->MeasureText(tip_.c_str(), &width, &height);
        width += 2 * kTipPadX;
        height += 2 * kTipPadY;
        tip->Resize(width, height);
        static_cast<CCorvaneObject*>(tip)->Resize(width, height);
        tip->SetPenColor(kTipBackground, 1.0);
        tip->DrawRect(0, 0, width - 1, height - 1, 1);
        tip->DrawBorder(1, kTipTextColour);
        tip->SetPenColor(kTipTextColour, 1.0);
        tip->DrawText(kTipPadX, kTipPadY, tip_.c_str());
        tip->SetTopmost();
        AttachChild(tip, kLinkOwned | kLinkHiddenByParent);
    }
    // Below the button, its right edge on the button's.
    tip->SetPos(GetRight() - tip->GetWidth() / 2, GetBottom() + tip->GetHeight() / 2 + kTipGap);
    tip->SetZ(GetZ() + 1);
    tip->Show();
    tip->Invalidate();
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

bool CRegionalTableView::QuerySafeBoxBalance(int32_t& balance) {
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
    balance = WordAt(reply, kSafeBoxBalanceAt);
    return true;
}

bool CRegionalTableView::QueryOwnTotalSilver(int64_t& total) {
    CGameFrameApp* app = CGameFrameApp::Current();
    int32_t balance = 0;
    if (app == nullptr || !QuerySafeBoxBalance(balance)) {
        return false;
    }
    // Two 32-bit amounts; their sum is not.
    total = int64_t{app->GetSeat(app->GetMyChairNo()).silver} + int64_t{balance};
    return true;
}

void CRegionalTableView::ApplyWelfare(const WelfareConfig& config) {
    ClaimWelfare(config.ActID, 0);
}

void CRegionalTableView::SetWelfareClock(const WelfareClock& clock) {
    welfareClock_ = clock;
    GetWelfare().SetClock(clock);
}
