#include "engine/ui/CorvaneTextButton.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneFont.h"
#include "engine/EngineEvents.h"

namespace {

constexpr int kFirstSide = 10;
constexpr uint32_t kHintBackground = 0xFFFFFF;
constexpr int kHintFontHeight = 12;
constexpr int kHintFontWeight = 400;
constexpr char kHintFace[] = "宋体";
constexpr uint32_t kHintTextColour = 0;
constexpr double kShowStep = 0.2;
// The widest box a canvas can hold, padding included.
constexpr int64_t kMaxHintSide = 65535;

}  // namespace

CCorvaneCanvas* CCorvaneTextButton::GetCanvas() {
    return FindCanvasById(canvasId_);
}

void CCorvaneTextButton::Create() {
    CCorvaneCanvas* canvas = CreateCanvas(kFirstSide, kFirstSide, kHintBackground);
    if (canvas == nullptr) {
        return;
    }
    canvasId_ = canvas->GetId();
    canvas->SetTopmost();
    canvas->SetFont(kHintFontHeight, kHintFontWeight, kHintFace);
    canvas->SetPenColor(kHintTextColour, 1.0);
    canvas->Invalidate();
    PeerSetUp(canvas, kLinkDecoration);
}

void CCorvaneTextButton::SetText(const char* text, int maxWidth) {
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr) {
        return;
    }
    if (text == nullptr) {
        text = "";
    }
    Layout(text, maxWidth);
    DrawBackground();
    canvas->DrawText(kHintPadding, kHintPadding, text);
}

void CCorvaneTextButton::Attach(CCorvaneObject* target, const char* text, int maxWidth) {
    if (target == nullptr || GetId() == 0) {
        return;
    }
    SetText(text, maxWidth);
    target->AddEventBinding(kEventMouseEnter,
                            MakeEventRecord(GetId(), kEventShow, target->GetId(), 0));
    target->AddEventBinding(kEventMouseLeave, MakeEventRecord(GetId(), kEventHide, 0, 0));
}

void CCorvaneTextButton::FadeIn(double alphaStep, int hideAfter) {
    StopObjectActions(GetId());
    if (IsVisible() == 0) {
        SetAlpha(0.0);
        Show();
    }
    BeginGroup();
    AlphaAction(this, alphaStep, 1.0, 0, nullptr);
    if (hideAfter != 0) {
        NextGroup();
        ShowHideAction(this, 0, nullptr);
    }
    EndGroup();
}

void CCorvaneTextButton::HideHint() {
    StopObjectActions(GetId());
    Hide();
    Invalidate();
}

void CCorvaneTextButton::DrawBackground() {
    if (CCorvaneCanvas* canvas = GetCanvas()) {
        canvas->Clear();
        canvas->DrawBorder(1, kHintBorderColour);
    }
}

void CCorvaneTextButton::PlaceNear(CCorvaneObject* target) {
    if (target == nullptr) {
        return;
    }
    const double hw = GetWidth() * 0.5;
    const double hh = GetHeight() * 0.5;
    double x = static_cast<int>(target->GetX() + hw);
    double y = static_cast<int>(target->GetTop() - hh);
    const double sceneWidth = GetBufferWidth();
    if (sceneWidth < x + hw) {
        x = static_cast<int>(sceneWidth - hw);
    }
    if (x - hw < 0) {
        x = static_cast<int>(hw);
    }
    if (y - hh < 0) {
        y = static_cast<int>(hh);
    }
    BringToTop();
    SetPos(x, y);
    Invalidate();
}

int CCorvaneTextButton::Layout(const char* text, int maxWidth) {
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr || text == nullptr) {
        return kHintPadding;
    }
    FontDesc desc;
    canvas->GetFontDesc(&desc);
    // Half the font height per byte, in 64 bits so that no text overflows.
    int64_t width = static_cast<int64_t>(static_cast<uint32_t>(desc.height)) *
                    static_cast<int64_t>(std::strlen(text)) / 2;
    if (width >= maxWidth) {
        width = maxWidth;
    }
    width = std::clamp<int64_t>(width, 0, kMaxHintSide - 2 * kHintPadding);
    const int textWidth = static_cast<int>(width);
    // Measured without the side margins that the drawing adds around the
    // text, so that a second layout measures what the first drew.
    canvas->SetMargins(0, 0);
    const int64_t height = std::clamp<int64_t>(canvas->MeasureTextHeight(text, textWidth), 0,
                                               kMaxHintSide - 2 * kHintPadding);
    const int boxWidth = textWidth + 2 * kHintPadding;
    const int boxHeight = static_cast<int>(height) + 2 * kHintPadding;
    canvas->Resize(boxWidth, boxHeight);
    SetSize(boxWidth, boxHeight);
    canvas->SetMargins(kHintPadding, kHintPadding);
    return kHintPadding;
}

int CCorvaneTextButton::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventShow: {
            const int targetId = static_cast<int>(record.param1);
            if (targetId != 0) {
                CCorvaneObject* target = FindObjectById(targetId);
                if (target == nullptr) {
                    return 1;
                }
                PlaceNear(target);
            }
            FadeIn(kShowStep, 0);
            return 1;
        }
        case kEventHide:
            HideHint();
            return 1;
        default:
            return CCorvaneControl::OnEvent(record);
    }
}
