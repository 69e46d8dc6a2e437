#include "engine/ui/CorvaneMessagePanel.h"

#include <algorithm>
#include <cstdio>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneStatic.h"

namespace {

constexpr const char kOkCaption[] = "确定";
constexpr const char kCancelCaption[] = "取消";
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 30;
constexpr int kButtonFontSize = 18;
constexpr uint32_t kButtonBorderColour = 0;
// The panel's parts: owned decorations that do not scale with it.
constexpr uint32_t kPanelPartLink = 0x1BC0AB;
// The countdown as a child of the OK button.
constexpr uint32_t kCountdownButtonLink = 0x180A2;
constexpr double kPartDepth = 0.001;

constexpr int kCountdownWidth = 40;
constexpr int kCountdownHeight = 20;
constexpr int kCountdownGap = 5;
constexpr int kCountdownFontSize = 20;
constexpr int kCountdownFontWeight = 400;
constexpr uint32_t kCountdownColour = 0xFFFFFF;
constexpr uint32_t kTickMs = 1000;

constexpr double kFadeOutStep = -0.1;

}  // namespace

CCorvaneCanvas* CCorvaneMessagePanel::Create(int width, int height, const EventRecord* okNotify,
                                             const EventRecord* cancelNotify, int seconds) {
    const auto buttonKey = static_cast<uint32_t>(GetIntSetting(kSettingPanelButtonKey));
    CCorvaneCanvas* canvas = CreateCanvas(width, height, kDefaultColorKey);
    if (canvas == nullptr) {
        return nullptr;
    }
    PeerSetUp(canvas, kLinkDecoration);
    if (okNotify != nullptr) {
        okNotify_ = *okNotify;
        okButtonId_ = MakeButton(kOkCaption, kEventPanelOk, buttonKey);
    }
    if (cancelNotify != nullptr) {
        cancelNotify_ = *cancelNotify;
        cancelButtonId_ = MakeButton(kCancelCaption, kEventPanelCancel, buttonKey);
    }
    canvas->BindEvent(kEventDrag, GetId(), kEventDragMove, 0, 0);
    canvas->EnableInput(1);
    if (seconds > 0) {
        MakeCountdown(std::min(seconds, kMaxPanelCountdown));
    }
    SetTopmost();
    BringToTop();
    Invalidate();
    return canvas;
}

int CCorvaneMessagePanel::MakeButton(const char* caption, int event, uint32_t colourKey) {
    auto* button = new CCorvaneStatic;
    Register(button);
    if (!button->IsRegistered()) {
        delete button;
        return 0;
    }
    const EventRecord click = MakeEventRecord(GetId(), event, 0, 0);
    button->Create(caption, kButtonWidth, kButtonHeight, kButtonFontSize, colourKey,
                   kButtonBorderColour, &click);
    button->SetZ(GetZ() + kPartDepth);
    AttachChild(button, kPanelPartLink);
    return button->GetId();
}

void CCorvaneMessagePanel::MakeCountdown(int seconds) {
    CCorvaneCanvas* countdown = CreateCanvas(kCountdownWidth, kCountdownHeight, kDefaultColorKey);
    if (countdown == nullptr) {
        return;
    }
    secondsLeft_ = seconds;
    countdownId_ = countdown->GetId();
    countdown->SetZ(GetZ() + kPartDepth);
    countdown->Show();
    countdown->Invalidate();
    if (CCorvaneStatic* ok = GetOkButton()) {
        const double x = ok->GetX() + (ok->GetWidth() + kCountdownWidth) * 0.5 + kCountdownGap;
        countdown->SetPos(x, ok->GetY());
        ok->AttachChild(countdown, kCountdownButtonLink);
    }
    AttachChild(countdown, kPanelPartLink);
    DrawCountdown();
    ScheduleTick();
}

void CCorvaneMessagePanel::ScheduleTick() {
    const EventRecord tick = MakeEventRecord(GetId(), kEventPanelCountdown, 0, 0);
    tickAction_ = DelayAction(kTickMs, &tick);
}

CCorvaneCanvas* CCorvaneMessagePanel::GetCanvas() {
    return dynamic_cast<CCorvaneCanvas*>(GetPeer());
}

CCorvaneStatic* CCorvaneMessagePanel::GetOkButton() {
    return okButtonId_ != 0 ? dynamic_cast<CCorvaneStatic*>(FindObjectById(okButtonId_)) : nullptr;
}

CCorvaneStatic* CCorvaneMessagePanel::GetCancelButton() {
    return cancelButtonId_ != 0 ? dynamic_cast<CCorvaneStatic*>(FindObjectById(cancelButtonId_))
                                : nullptr;
}

CCorvaneCanvas* CCorvaneMessagePanel::GetCountdownCanvas() {
    return countdownId_ != 0 ? dynamic_cast<CCorvaneCanvas*>(FindObjectById(countdownId_))
                             : nullptr;
}

void CCorvaneMessagePanel::DrawCountdown() {
    CCorvaneCanvas* countdown = GetCountdownCanvas();
    if (countdown == nullptr) {
        return;
    }
    countdown->SetFont(kCountdownFontSize, kCountdownFontWeight, "宋体");
    countdown->SetPenColor(kCountdownColour, 1.0);
    countdown->Clear();
    char text[16];
    std::snprintf(text, sizeof text, "%d", secondsLeft_);
    countdown->DrawText(0, 0, text);
    countdown->Invalidate();
}

void CCorvaneMessagePanel::Close() {
    if (closing_) {
        return;
    }
    closing_ = true;
    if (countdownId_ != 0) {
        StopObjectActions(countdownId_);
    }
    if (tickAction_ != 0) {
        StopAction(tickAction_);
        tickAction_ = 0;
    }
    // A fade-in still running would hold the fade-out off for ever.
    StopObjectActions(GetId());
    BeginGroup();
    AlphaAction(this, kFadeOutStep, 0.0, 0, nullptr);
    NextGroup();
    DelayedDestroyAction(this, nullptr);
    EndGroup();
}

void CCorvaneMessagePanel::Finish(const EventRecord& notification) {
    if (closing_) {
        return;
    }
    PostEvent(notification);
    Close();
}

int CCorvaneMessagePanel::OnCountdownTick() {
    tickAction_ = 0;
    if (closing_) {
        return 1;
    }
    if (secondsLeft_ <= 0) {
        Finish(cancelNotify_);
        return 1;
    }
    --secondsLeft_;
    DrawCountdown();
    ScheduleTick();
    return 0;
}

int CCorvaneMessagePanel::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventPanelOk:
            Finish(okNotify_);
            return 0;
        case kEventPanelCancel:
            Finish(cancelNotify_);
            return 0;
        case kEventDrag:
            if (const auto* input = InputStateOf(record)) {
                MoveBy(input->moveX, input->moveY);
                Invalidate();
            }
            return 0;
        case kEventPanelCountdown:
            return OnCountdownTick();
        default:
            return CCorvaneControl::OnEvent(record);
    }
}

bool MakeMessagePanel(CCorvaneVisual& owner, int width, int height, const EventRecord* okNotify,
                      const EventRecord* cancelNotify, int seconds, MessagePanelParts& parts) {
    auto* panel = new CCorvaneMessagePanel;
    owner.Register(panel);
    if (!panel->IsRegistered()) {
        delete panel;
        return false;
    }
    CCorvaneCanvas* canvas = panel->Create(width, height, okNotify, cancelNotify, seconds);
    if (canvas == nullptr) {
        owner.DestroyObject(panel, 0);
        return false;
    }
    parts.panel = panel;
    parts.canvas = canvas;
    parts.okButton = panel->GetOkButton();
    parts.cancelButton = panel->GetCancelButton();
    parts.countdown = panel->GetCountdownCanvas();
    return true;
}

void InstallMessagePanelMaker() {
    CCorvaneVisual::SetMessagePanelMaker(&MakeMessagePanel);
}
