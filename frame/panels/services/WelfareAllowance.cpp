#include "frame/panels/services/WelfareAllowance.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/net/FrameRequests.h"
#include "frame/view/GameViewBase.h"
#include "platform/Profile.h"

namespace {

constexpr char kIneligibleText[] =
    "你不符合领取低保的条件：\r\n1、当您的游戏银两和保险箱的总银两少于%d两时，可以领取补助金到%"
    "d两。\r\n2、每天限领%d次。\r\n3、今天还有%d次领取机会。";
constexpr char kDialogText[] =
    "1、当您的游戏银两和保险箱的总银两少于%d两时，可以领取补助金到%d两。\r\n2、每天限领%"
    "d次。\r\n3、"
    "今天还有%d次领取机会。";
constexpr int kInfoBoxSeconds = 10;
constexpr int kInfoBoxStyle = 2;
constexpr int kDialogWidth = 320;
constexpr int kDialogHeight = 140;
constexpr double kDialogDepth = 80000.0;
constexpr int kMissingStatus = 2;
constexpr size_t kSafeBoxSilverOffset = 4;

// The config section's keys in the order they are written.
constexpr const char* kConfigKeys[] = {"ActID",     "status",    "begin_time",
                                       "end_time",  "daily_num", "welfare_line",
                                       "send_line", "daily_max", "record_time"};

std::array<int32_t*, 9> ConfigWords(WelfareConfig& config) {
    return {&config.ActID,     &config.status,    &config.begin_time,
            &config.end_time,  &config.daily_num, &config.welfare_line,
            &config.send_line, &config.daily_max, &config.record_time};
}

std::string Decimal(int64_t value) {
    return std::to_string(value);
}

std::string FormatWelfareText(const char* format, const WelfareConfig& config, int remaining) {
    char text[512];
    std::snprintf(text, sizeof text, format, config.welfare_line, config.send_line,
                  config.daily_num, remaining);
    return text;
}

}  // namespace

CWelfareAllowance::CWelfareAllowance(CGameViewBase& view, CWelfareHost& host)
    : view_(view), host_(host) {}

std::string CWelfareAllowance::IniFile() const {
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetGameIniFile() : std::string();
}

static int32_t OwnUserId() {
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetUserID() : 0;
}

std::string CWelfareAllowance::GetWelfareConfigSection() const {
    return "user_" + Decimal(OwnUserId()) + "_welfare_cfg";
}

std::string CWelfareAllowance::GetWelfareLogSection() const {
    return "user_" + Decimal(OwnUserId()) + "_welfare_log";
}

int CWelfareAllowance::TodayNumber() const {
    const platform::LocalDateTime today = clock_.local();
    return today.year * 10000 + today.month * 100 + today.day;
}

int CWelfareAllowance::RemainingClaims(const WelfareConfig& config, int count) {
    const int64_t remaining = int64_t{config.daily_num} - count;
    return static_cast<int>(std::clamp<int64_t>(remaining, 0, std::numeric_limits<int32_t>::max()));
}

void CWelfareAllowance::SetWelfareActID(int32_t activityId) {
    const std::string file = IniFile();
    if (!file.empty()) {
        platform::WritePrivateProfileString(GetWelfareLogSection().c_str(), "ActID",
                                            Decimal(activityId).c_str(), file.c_str());
    }
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || app->IsLookOn() || activityId == 0) {
        return;
    }
    UpdateWelfareButton(1);
    if (!host_.IsGameInProgress()) {
        host_.RunAutomaticWelfareClaim();
    }
}

void CWelfareAllowance::UpdateWelfareButton(int show) {
    CCorvaneObject* button = host_.GetWelfareButton();
    if (show == 0) {
        if (button != nullptr) {
            button->Hide();
            button->Invalidate();
        }
        return;
    }
    if (GetAnnouncedWelfareActID() >= 1 && button != nullptr) {
        button->Show();
        button->Invalidate();
    }
}

int CWelfareAllowance::GetAnnouncedWelfareActID() const {
    const std::string file = IniFile();
    return file.empty() ? 0
                        : platform::GetPrivateProfileInt(GetWelfareLogSection().c_str(), "ActID", 0,
                                                         file.c_str());
}

int CWelfareAllowance::GetStoredWelfareActID() const {
    const std::string file = IniFile();
    return file.empty() ? 0
                        : platform::GetPrivateProfileInt(GetWelfareConfigSection().c_str(), "ActID",
                                                         0, file.c_str());
}

void CWelfareAllowance::RefreshWelfareConfig() {
    const int announced = GetAnnouncedWelfareActID();
    const int stored = GetStoredWelfareActID();
    if (announced > 0 && announced != stored) {
        view_.RequestWelfareConfig(announced);
        return;
    }
    WelfareConfig config{};
    LoadWelfareConfig(config);
    const int64_t now = clock_.now();
    if (now >= config.record_time && now - config.record_time < kFreshSeconds) {
        return;
    }
    view_.RequestWelfareConfig(announced);
}

int CWelfareAllowance::GetWelfareCountToday() {
    const std::string file = IniFile();
    if (file.empty()) {
        return 0;
    }
    const std::string section = GetWelfareLogSection();
    const int date = platform::GetPrivateProfileInt(section.c_str(), "date", 0, file.c_str());
    const int count = platform::GetPrivateProfileInt(section.c_str(), "count", 0, file.c_str());
    if (TodayNumber() > date) {
        WriteWelfareLog(0);
        return 0;
    }
    return count;
}

void CWelfareAllowance::WriteWelfareLog(int count) {
    const std::string file = IniFile();
    if (file.empty()) {
        return;
    }
    const std::string section = GetWelfareLogSection();
    platform::WritePrivateProfileString(section.c_str(), "date", Decimal(TodayNumber()).c_str(),
                                        file.c_str());
    platform::WritePrivateProfileString(section.c_str(), "count", Decimal(count).c_str(),
                                        file.c_str());
}

void CWelfareAllowance::OnWelfareButton() {
    RefreshWelfareConfig();
    WelfareConfig config{};
    LoadWelfareConfig(config);
    const int count = GetWelfareCountToday();
    if (CanClaimWelfare(config) == 0) {
        if (CGameFrameApp* app = CGameFrameApp::Current()) {
            const std::string text =
                FormatWelfareText(kIneligibleText, config, RemainingClaims(config, count));
            app->ShowInfoBox(text.c_str(), nullptr, nullptr, kInfoBoxSeconds, kInfoBoxStyle, "");
        }
        return;
    }
    ShowWelfareDialog(config, 0);
}

int CWelfareAllowance::CanClaimWelfare(const WelfareConfig& config) {
    if (config.status != 1 || config.daily_num <= GetWelfareCountToday()) {
        return 0;
    }
    const int64_t now = clock_.now();
    if (now < config.begin_time || now > config.end_time) {
        return 0;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    if (connection == nullptr) {
        return 0;
    }
    std::array<uint8_t, frame_requests::kSafeBoxReplySize> reply{};
    std::string text;
    if (connection->QuerySafeBox(text, reply) == 0) {
        return 0;
    }
    // Both amounts are 32-bit; their sum is not.
    const int64_t silver = int64_t{app->GetSeat(app->GetMyChairNo()).silver} +
                           int64_t{WordAt(reply, kSafeBoxSilverOffset)};
    return silver < config.welfare_line ? 1 : 0;
}

void CWelfareAllowance::ShowWelfareDialog(const WelfareConfig& config, int flag) {
    if (view_.IsRegistered() == 0) {
        return;
    }
    const IntRect scene = view_.GetViewRect();
    auto* dialog = new CWelfareDialog;
    view_.Register(dialog);
    dialog->Create(view_, config.ActID, flag, kDialogWidth, kDialogHeight);
    dialog->EnableDrag(1);
    dialog->SetPos((scene.left + scene.right) / 2, (scene.top + scene.bottom) / 2);
    dialog->SetZ(kDialogDepth);
    int count = GetWelfareCountToday();
    if (count >= config.daily_num) {
        count = config.daily_num;
        dialog->DisableClaimButton();
    }
    dialog->SetText(FormatWelfareText(kDialogText, config, RemainingClaims(config, count)).c_str());
    dialog->Show();
    dialog->Invalidate();
}

void CWelfareAllowance::SaveWelfareConfig(const WelfareConfig& config) {
    const std::string file = IniFile();
    if (file.empty()) {
        return;
    }
    const std::string section = GetWelfareConfigSection();
    WelfareConfig copy = config;
    const auto words = ConfigWords(copy);
    for (size_t i = 0; i < words.size(); ++i) {
        platform::WritePrivateProfileString(section.c_str(), kConfigKeys[i],
                                            Decimal(*words[i]).c_str(), file.c_str());
    }
}

void CWelfareAllowance::LoadWelfareConfig(WelfareConfig& config) const {
    const std::string file = IniFile();
    const std::string section = GetWelfareConfigSection();
    const auto words = ConfigWords(config);
    for (size_t i = 0; i < words.size(); ++i) {
        const int missing = words[i] == &config.status ? kMissingStatus : 0;
        *words[i] = file.empty() ? missing
                                 : platform::GetPrivateProfileInt(section.c_str(), kConfigKeys[i],
                                                                  missing, file.c_str());
    }
}

void CWelfareAllowance::RequestWelfareConfig(int32_t activityId) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    std::array<uint8_t, WelfareConfig::kSize> reply{};
    std::string text;
    int ok = 0;
    if (CGameConnection* connection = app->GetConnection()) {
        ok = connection->GetWelfareConfig(text, activityId, reply);
    }
    WelfareConfig config{};
    if (ok != 0) {
        ReadRecord(std::span<const uint8_t>(reply), config);
    }
    // Saved whatever the result: after a failure the zeros make the next
    // refresh ask again.
    SaveWelfareConfig(config);
    // The application's handler takes no record; it reports the failure.
    app->OnWelfareConfigFailed(ok, text.c_str(), activityId, 0);
}

void CWelfareAllowance::ClaimWelfare(int32_t activityId, int32_t kind) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    std::string text;
    int32_t amount = 0;
    int ok = 0;
    if (CGameConnection* connection = app->GetConnection()) {
        ok = connection->SendWelfareClaim(text, activityId, kind, amount);
    }
    if (ok != 0) {
        WriteWelfareLog(GetWelfareCountToday() + 1);
    } else if (text == kDailyLimitText) {
        WelfareConfig config{};
        LoadWelfareConfig(config);
        WriteWelfareLog(config.daily_num);
    }
    app->OnWelfareResult(ok, text.c_str(), activityId, kind, amount);
}

// --- the claim dialog ---

namespace {

constexpr char kDialogSkin[] = "系统信息框模板";
constexpr char kDialogTitle[] = "低保";
constexpr char kClaimImage[] = "btn_我要领取";
constexpr char kDeclineImage[] = "btn_暂不领取";
constexpr uint32_t kTextColorKey = 0xff00ff;
constexpr char kTextFace[] = "宋体";
constexpr int kSettingTextSize = 5;
constexpr int kTextWeight = 400;
constexpr int kTextPitch = 1;
constexpr int kTextRowSpace = 6;
constexpr int kTextWrapInset = 22;
constexpr int kTextWidthInset = 42;
constexpr int kTextTop = 45;
constexpr uint32_t kFaceHitOnPixels = 4;
constexpr uint32_t kPartLinks = kLinkOwned | kLinkPosition | kLinkZ | kLinkHiddenByParent;

}  // namespace

CWelfareDialog::~CWelfareDialog() = default;

void CWelfareDialog::Create(CGameViewBase& view, int32_t activityId, int flag, int width,
                            int height) {
    viewId_ = view.GetId();
    activityId_ = activityId;
    flag_ = flag;
    CreateWithImage(GetResourceFrame(kDialogSkin, 0), GetResourceFrame(kDialogSkin, 1), width,
                    height);
    if (CCorvaneCanvas* text = CreateCanvas(10, 10, kTextColorKey)) {
        text->SetFont(GetIntSetting(kSettingTextSize), kTextWeight, kTextFace);
        text->SetSpacing(kTextPitch, kTextRowSpace);
        text->SetPos(GetX(), GetY());
        text->SetTopmost();
        text->SetZ(GetZ());
        AttachChild(text, kPartLinks);
        textCanvasId_ = text->GetId();
    }
    SetTitle(kDialogTitle);
    auto addButton = [&](const char* image, int event, const char* name, double x) {
        auto* button = new CCorvaneButton;
        Register(button);
        if (button->IsRegistered() == 0) {
            delete button;
            return 0;
        }
        const EventRecord notify = MakeEventRecord(GetId(), event, 0, 0);
        button->Create(GetResourceFrame(image, 0), &notify, 0, kFaceHitOnPixels);
        button->SetName(name);
        button->SetSound(kButtonLookHover, "SndTouchButton");
        button->SetSound(kButtonLookPressed, "SndHitButton");
        button->SetTopmost();
        button->SetZ(GetZ());
        button->SetPos(x, GetY() + height / 3);
        AttachChild(button, kPartLinks);
        return button->GetId();
    };
    claimButtonId_ = addButton(kClaimImage, kEventClaim, kClaimButtonName, GetX() + width / 5);
    declineButtonId_ =
        addButton(kDeclineImage, kEventDecline, kDeclineButtonName, GetX() - width / 5);
}

void CWelfareDialog::SetText(const char* text) {
    CCorvaneCanvas* canvas = FindCanvasById(textCanvasId_);
    if (canvas == nullptr || text == nullptr) {
        return;
    }
    const int dialogWidth = static_cast<int>(GetWidth());
    const int dialogHeight = static_cast<int>(GetHeight());
    const int height = std::max(canvas->MeasureTextHeight(text, dialogWidth - kTextWrapInset), 1);
    const int width = std::max(dialogWidth - kTextWidthInset, 1);
    canvas->Resize(width, height);
    static_cast<CCorvaneObject*>(canvas)->Resize(width, height);
    canvas->Clear();
    canvas->DrawText(0, 0, text);
    canvas->SetPos(GetX(), GetY() - ((dialogHeight - 2 * kTextTop) / 2 - height / 2));
    canvas->Invalidate();
}

CCorvaneButton* CWelfareDialog::GetClaimButton() {
    return dynamic_cast<CCorvaneButton*>(FindObjectById(claimButtonId_));
}

CCorvaneButton* CWelfareDialog::GetDeclineButton() {
    return dynamic_cast<CCorvaneButton*>(FindObjectById(declineButtonId_));
}

void CWelfareDialog::DisableClaimButton() {
    if (CCorvaneButton* button = GetClaimButton()) {
        button->Enable(0);
        button->Invalidate();
    }
}

int CWelfareDialog::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventClaim:
            if (auto* view = dynamic_cast<CGameViewBase*>(FindObjectById(viewId_))) {
                view->ClaimWelfare(activityId_, 0);
            }
            DestroyObject(this, 1);
            return 1;
        case kEventDecline:
            DestroyObject(this, 1);
            return 1;
        default:
            return CCorvaneDialog::OnEvent(record);
    }
}
