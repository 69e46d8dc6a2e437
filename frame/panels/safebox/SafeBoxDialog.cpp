#include "frame/panels/safebox/SafeBoxDialog.h"

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"

namespace {

constexpr int kTitleSize = 12;
constexpr int kTitleWeight = 400;
constexpr int kTitleX = 5;
constexpr int kTitleY = 6;
constexpr int kButtonGap = 24;
constexpr char kCloseImage[] = "系统信息框_关闭";
constexpr char kHoverSound[] = "SndTouchButton";
constexpr char kPressSound[] = "SndHitButton";

}  // namespace

void CSafeBoxDialog::DrawTitle() {
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return;
    }
    text->Clear();
    text->SetFont(kTitleSize, kTitleWeight, kSafeBoxFont);
    text->DrawText(kTitleX, kTitleY, GetTitle().c_str());
}

void CSafeBoxDialog::CenterInScene() {
    SetPos(GetBufferWidth() / 2.0, GetBufferHeight() / 2.0);
    Invalidate();
}

void CSafeBoxDialog::BuildBackground(int width, int height) {
    FrameRecord base;
    FrameRecord middle;
    GetResourceFrame(&base, kSafeBoxSkin, 0);
    GetResourceFrame(&middle, kSafeBoxSkin, 1);
    CreateWithImage(base, middle, width, height);
}

bool CSafeBoxDialog::SendToNamed(const char* name, int event, intptr_t param1) {
    CCorvaneObject* target = FindObjectByName(name);
    if (target == nullptr) {
        return false;
    }
    target->OnEvent(MakeEventRecord(0, event, param1, 0));
    return true;
}

void CSafeBoxDialog::ShowBox(const std::string& text, int answerEvent, int style) {
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const EventRecord answer = MakeEventRecord(GetId(), answerEvent, 0, 0);
    app->ShowInfoBox(text.c_str(), answerEvent != 0 ? &answer : nullptr, nullptr,
                     kSafeBoxBoxSeconds, style, kSafeBoxBoxPicture);
}

void CSafeBoxDialog::ShowWait(const char* text) {
    if (CGameFrameApp* app = App()) {
        app->PostToCommThread(text, true);
    }
}

void CSafeBoxDialog::HideWait() {
    if (CGameFrameApp* app = App()) {
        app->PostToCommThread("", false);
    }
}

int CSafeBoxDialog::MakeButton(const char* image, int event, uint32_t faceFlags) {
    if (IsRegistered() == 0) {
        return 0;
    }
    FrameRecord face;
    GetResourceFrame(&face, image, 0);
    auto* button = new CCorvaneButton;
    Register(button);
    const EventRecord notify = MakeEventRecord(GetId(), event, 0, 0);
    button->Create(face, &notify, 0, faceFlags);
    button->SetSound(kButtonLookHover, kHoverSound);
    button->SetSound(kButtonLookPressed, kPressSound);
    button->SetZ(GetZ() + kDialogChildStep);
    AttachPart(button, kSafeBoxChildLink);
    buttonIds_.push_back(button->GetId());
    return button->GetId();
}

CCorvaneButton* CSafeBoxDialog::FindButton(int event) {
    for (int id : buttonIds_) {
        CCorvaneButton* button = Part<CCorvaneButton>(id);
        if (button != nullptr && button->GetNotify().event == event) {
            return button;
        }
    }
    return nullptr;
}

void CSafeBoxDialog::CaptionButton(int buttonId, const char* caption, uint32_t colour, int size) {
    if (auto* button = Part<CCorvaneButton>(buttonId)) {
        button->DrawCaption(caption, colour, size);
    }
}

int CSafeBoxDialog::MakeCloseButton(int event) {
    const int id = MakeButton(kCloseImage, event);
    if (auto* button = Part<CCorvaneButton>(id)) {
        button->SetPos(GetRight() - 7 - button->GetWidth() / 2,
                       GetTop() + 1 + button->GetHeight() / 2);
    }
    return id;
}

void CSafeBoxDialog::PlaceButtonPair(int leftId, int rightId) {
    auto* left = Part<CCorvaneButton>(leftId);
    auto* right = Part<CCorvaneButton>(rightId);
    IntRect surface;
    GetSurfaceRect(&surface);
    const double middle = GetLeft() + (surface.left + surface.right) / 2.0;
    // The row sits 12 px above the bottom of the drawing surface.
    const double bottom = GetTop() + surface.bottom - 12;
    if (left != nullptr) {
        left->SetPos(middle - kButtonGap / 2.0 - left->GetWidth() / 2,
                     bottom - left->GetHeight() / 2);
    }
    if (right != nullptr) {
        right->SetPos(middle + kButtonGap / 2.0 + right->GetWidth() / 2,
                      bottom - right->GetHeight() / 2);
    }
}

void CSafeBoxDialog::AttachPart(CCorvaneObject* part, uint32_t linkFlags) {
    AttachChild(part, linkFlags);
    part->SetTopmost();
    if (IsVisible() != 0) {
        part->Show();
    }
}

void CSafeBoxDialog::MakeInnerPanel(int& id) {
    if (Part<CCorvaneCanvas>(id) != nullptr) {
        return;
    }
    CCorvaneCanvas* panel = CreateCanvas(static_cast<int>(GetWidth()) - 30,
                                         static_cast<int>(GetHeight()) - 40, 0xFF00FF);
    if (panel == nullptr) {
        return;
    }
    id = panel->GetId();
    panel->SetPos(GetLeft() + 15 + panel->GetWidth() / 2, GetTop() + 15 + panel->GetHeight() / 2);
    if (CCorvaneCanvas* surface = GetSurface()) {
        panel->SetZ(surface->GetZ() - kDialogChildStep / 2);
    }
    AttachPart(panel, kSafeBoxChildLink);
}

void CSafeBoxDialog::HideAndInvalidate() {
    Hide();
    Invalidate();
}

CGameFrameApp* CSafeBoxDialog::App() {
    return CGameFrameApp::Current();
}

CGameConnection* CSafeBoxDialog::Connection() {
    CGameFrameApp* app = App();
    return app != nullptr ? app->GetConnection() : nullptr;
}
