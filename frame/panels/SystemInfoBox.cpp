#include "frame/panels/SystemInfoBox.h"

#include <algorithm>
#include <cstdio>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneStatic.h"
#include "engine/ui/RichText.h"
#include "frame/GameFrameApp.h"

namespace {

// Fill of a box whose skin has no centre picture (0x00BBGGRR).
constexpr uint32_t kPlainCentreColour = 0x00E8E8E8;
// The colour the text box leaves transparent.
constexpr uint32_t kTransparentKey = kDefaultColorKey;
constexpr uint32_t kTextColour = 0x00000000;
constexpr int kTextSize = 12;
// The gap between the picture and the text, and above the buttons.
constexpr int kPictureGap = 8;
constexpr int kButtonsTop = 12;
constexpr int kBottomMargin = 12;
// A captioned button: its height, font, and the smallest width.
constexpr int kCaptionButtonHeight = 24;
constexpr int kCaptionButtonMinWidth = 64;
constexpr int kCaptionFontSize = 12;
constexpr uint32_t kCaptionBorder = 0x00606060;
// Parts lie just above the box's own canvases.
constexpr double kPartDepth = 0.02;
// The count's place: from the title line's right end.
constexpr int kCountRightMargin = 10;
// The longest text box laid out before the box knows the text's height.
constexpr int kMaxTextHeight = 2000;

}  // namespace

int CSystemInfoBox::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventConfirm:
            OnConfirm();
            return 1;
        case kEventCancel:
            OnCancel();
            return 1;
        case kEventTick:
            OnTick();
            return 1;
        default:
            return CCorvaneDialog::OnEvent(record);
    }
}

void CSystemInfoBox::ShowBox(const char* text, const EventRecord* confirm,
                             const EventRecord* cancel, int seconds, int style,
                             const char* pictureKey, const char* confirmImage,
                             const char* cancelImage) {
    text_ = text != nullptr ? text : "";
    hasConfirm_ = confirm != nullptr;
    confirm_ = confirm != nullptr ? *confirm : EventRecord{};
    hasCancel_ = cancel != nullptr;
    cancel_ = cancel != nullptr ? *cancel : EventRecord{};
    style_ = style;
    if (IsRegistered() == 0 || answered_) {
        return;
    }
    RemoveParts();
    // The skin: frame 0 is the border, frame 1 the centre. Without them the
    // box is a plain panel, still with its text and buttons.
    const FrameRecord frame = GetResourceFrame(kSkinItem, 0);
    const FrameRecord centre = GetResourceFrame(kSkinItem, 1);
    if (centre.record != nullptr) {
        CreateWithImage(frame, centre, kBoxWidth, kTextTop + kBottomMargin);
    } else {
        Create(frame, kPlainCentreColour, kBoxWidth, kTextTop + kBottomMargin);
    }

    if ((style & kStylePicture) != 0 && pictureKey != nullptr && pictureKey[0] != '\0') {
        const FrameRecord picture = GetResourceFrame(pictureKey, 0);
        if (picture.record != nullptr) {
            if (CCorvanePicture* shown = CreatePicture(picture)) {
                AttachChild(shown, kLinkDecoration);
                pictureId_ = shown->GetId();
            }
        }
    }

    // Laid out once at full height to learn the text's height, then made
    // again at that height.
    textHeight_ = MeasureText();
    auto* textBox = new CCorvaneRichText;
    Register(textBox);
    if (textBox->IsRegistered() != 0) {
        textBox->Create(TextWidth(), textHeight_, kRichBackgroundColor, 0);
        FillText(*textBox);
        AttachChild(textBox, kLinkDecoration);
        textBoxId_ = textBox->GetId();
    }

    confirmButtonId_ = MakeButton(confirmImage != nullptr ? confirmImage : "", kConfirmImage,
                                  "确定", kEventConfirm);
    if ((style & kStyleCancelButton) != 0) {
        cancelButtonId_ = MakeButton(cancelImage != nullptr ? cancelImage : "", kCancelImage,
                                     "取消", kEventCancel);
    }
    Relayout();
    if (seconds > 0) {
        secondsLeft_ = seconds;
        StartCountdown();
    }
    DrawTitle();
    Show();
    Invalidate();
}

void CSystemInfoBox::SetButtonCaptions(const char* confirm, const char* cancel) {
    if (answered_) {
        return;
    }
    if (confirm != nullptr && confirm[0] != '\0' && confirmButtonId_ != 0) {
        ReplaceWithCaption(&confirmButtonId_, confirm, kEventConfirm);
    }
    if (cancel != nullptr && cancel[0] != '\0' && cancelButtonId_ != 0) {
        ReplaceWithCaption(&cancelButtonId_, cancel, kEventCancel);
    }
    Relayout();
}

void CSystemInfoBox::SetLinkPage(const char* address, int number) {
    linkAddress_ = address != nullptr ? address : "";
    linkNumber_ = number;
}

void CSystemInfoBox::SetTitle(const char* text) {
    CCorvaneDialog::SetTitle(text);
    DrawTitle();
}

void CSystemInfoBox::DrawTitle() {
    CCorvaneDialog::DrawTitle();
    CCorvaneCanvas* canvas = GetTextCanvas();
    if (canvas == nullptr || tickAction_ == 0) {
        return;
    }
    char count[16];
    std::snprintf(count, sizeof count, "%d", std::max(secondsLeft_, 0));
    int width = 0;
    int height = 0;
    canvas->MeasureText(count, &width, &height);
    canvas->DrawText(canvas->GetCanvasWidth() - kCountRightMargin - width, kDialogTitleY, count);
}

void CSystemInfoBox::OnConfirm() {
    Answer(true);
}

void CSystemInfoBox::OnCancel() {
    Answer(false);
}

CCorvaneObject* CSystemInfoBox::GetConfirmButton() {
    return confirmButtonId_ != 0 ? FindObjectById(confirmButtonId_) : nullptr;
}

CCorvaneObject* CSystemInfoBox::GetCancelButton() {
    return cancelButtonId_ != 0 ? FindObjectById(cancelButtonId_) : nullptr;
}

CCorvaneObject* CSystemInfoBox::GetPicture() {
    return FindPictureById(pictureId_);
}

CCorvaneRichText* CSystemInfoBox::GetTextBox() {
    return textBoxId_ != 0 ? dynamic_cast<CCorvaneRichText*>(FindObjectById(textBoxId_)) : nullptr;
}

void CSystemInfoBox::RemoveParts() {
    for (int* id : {&pictureId_, &textBoxId_, &confirmButtonId_, &cancelButtonId_}) {
        DestroyPart(id);
    }
    if (tickAction_ != 0) {
        StopAction(tickAction_);
        tickAction_ = 0;
    }
}

IntRect CSystemInfoBox::InnerBox() {
    IntRect inner;
    GetSurfaceRect(&inner);
    return inner;
}

int CSystemInfoBox::TextWidth() {
    const int pictureWidth =
        GetPicture() != nullptr ? static_cast<int>(GetPicture()->GetWidth()) + kPictureGap : 0;
    return std::max(1, InnerBox().Width() - kTextMargin - pictureWidth);
}

void CSystemInfoBox::FillText(CCorvaneRichText& textBox) {
    textBox.SetBackgroundColor(kTransparentKey);
    textBox.SetTextColor(kTextColour);
    textBox.SetFontSize(kTextSize);
    textBox.AppendText(text_.c_str());
    textBox.EnableInput(0);
}

int CSystemInfoBox::MeasureText() {
    auto* probe = new CCorvaneRichText;
    Register(probe);
    if (probe->IsRegistered() == 0) {
        return 1;
    }
    probe->Create(TextWidth(), kMaxTextHeight, kRichBackgroundColor, 0);
    FillText(*probe);
    const int height = std::clamp(probe->GetContentHeight(), 1, kMaxTextHeight);
    DestroyObject(probe, 0);
    return height;
}

int CSystemInfoBox::MakeButton(const std::string& image, const char* defaultImage,
                               const char* defaultCaption, int event) {
    const std::string name = image.empty() ? defaultImage : image;
    const FrameRecord face = GetResourceFrame(name.c_str(), 0);
    if (face.record == nullptr) {
        return MakeCaptionButton(image.empty() ? defaultCaption : image.c_str(), event);
    }
    auto* button = new CCorvaneButton;
    Register(button);
    if (button->IsRegistered() == 0) {
        return 0;
    }
    const EventRecord notify = MakeEventRecord(GetId(), event, 0, 0);
    button->Create(face, &notify, 0, 0);
    button->SetSound(kButtonLookHover, "SndTouchButton");
    button->SetSound(kButtonLookPressed, "SndHitButton");
    AttachChild(button, kLinkDecoration);
    return button->GetId();
}

int CSystemInfoBox::MakeCaptionButton(const char* caption, int event) {
    auto* button = new CCorvaneStatic;
    Register(button);
    if (button->IsRegistered() == 0) {
        return 0;
    }
    int width = 0;
    int height = 0;
    if (CCorvaneCanvas* canvas = GetTextCanvas()) {
        canvas->SetFont(kCaptionFontSize, 400, kDialogTitleFace);
        canvas->MeasureText(caption, &width, &height);
        DrawTitle();
    }
    const EventRecord notify = MakeEventRecord(GetId(), event, 0, 0);
    button->Create(caption, std::max(kCaptionButtonMinWidth, width + 16), kCaptionButtonHeight,
                   kCaptionFontSize, kTransparentKey, kCaptionBorder, &notify);
    AttachChild(button, kLinkDecoration);
    return button->GetId();
}

void CSystemInfoBox::ReplaceWithCaption(int* buttonId, const char* caption, int event) {
    DestroyPart(buttonId);
    *buttonId = MakeCaptionButton(caption, event);
}

void CSystemInfoBox::DestroyPart(int* id) {
    if (CCorvaneObject* part = *id != 0 ? FindObjectById(*id) : nullptr) {
        RemoveChild(*id);
        DestroyObject(part, 0);
    }
    *id = 0;
}

void CSystemInfoBox::Relayout() {
    if (IsRegistered() == 0) {
        return;
    }
    CCorvaneObject* picture = GetPicture();
    CCorvaneObject* confirm = GetConfirmButton();
    CCorvaneObject* cancel = GetCancelButton();
    const int pictureHeight = picture != nullptr ? static_cast<int>(picture->GetHeight()) : 0;
    const int bodyHeight = std::max(textHeight_, pictureHeight);
    int buttonHeight = 0;
    int buttonsWidth = 0;
    for (CCorvaneObject* button : {confirm, cancel}) {
        if (button != nullptr) {
            buttonHeight = std::max(buttonHeight, static_cast<int>(button->GetHeight()));
            buttonsWidth += static_cast<int>(button->GetWidth());
        }
    }
    if (confirm != nullptr && cancel != nullptr) {
        buttonsWidth += kButtonGap;
    }
    const int extraTop = kTextTop + bodyHeight + (GetExtraHeight() > 0 ? kPictureGap : 0);
    const int buttonsTop = extraTop + GetExtraHeight() + kButtonsTop;
    const int height = buttonsTop + buttonHeight + kBottomMargin;
    if (static_cast<int>(GetWidth()) != kBoxWidth || static_cast<int>(GetHeight()) != height) {
        const double centreX = GetX();
        const double top = GetTop();
        SetSize(kBoxWidth, height);
        // Grows downwards from where its top was.
        SetPos(centreX, top + height / 2.0);
    }

    const double left = GetLeft();
    const double top = GetTop();
    // Above the frame and title canvases, which lie above the box itself.
    double z = GetZ();
    for (CCorvaneCanvas* own : {GetFrameCanvas(), GetTextCanvas()}) {
        z = own != nullptr ? std::max(z, own->GetZ()) : z;
    }
    z += kPartDepth;
    auto place = [&](CCorvaneObject* part, double x, double y) {
        part->SetPos(left + x + part->GetWidth() / 2, top + y + part->GetHeight() / 2);
        // In the dialog's own (topmost) layer, above its canvases.
        part->SetTopmost();
        part->SetZ(z);
        if (IsVisible() != 0) {
            part->Show();  // a part made after the box showed
        }
        part->Invalidate();
    };
    int textLeft = InnerBox().left + kTextMargin / 2;
    if (picture != nullptr) {
        place(picture, textLeft, kTextTop);
        textLeft += static_cast<int>(picture->GetWidth()) + kPictureGap;
    }
    if (CCorvaneRichText* textBox = GetTextBox()) {
        place(textBox, textLeft, kTextTop);
        textBox->SetZ(z - kPartDepth / 2);
        textBox->Invalidate();
    }
    PlaceExtraParts(extraTop);
    double x = (kBoxWidth - buttonsWidth) / 2.0;
    for (CCorvaneObject* button : {confirm, cancel}) {
        if (button != nullptr) {
            place(button, x, buttonsTop + (buttonHeight - button->GetHeight()) / 2);
            x += button->GetWidth() + kButtonGap;
        }
    }
    Invalidate();
}

void CSystemInfoBox::StartCountdown() {
    const EventRecord tick = MakeEventRecord(GetId(), kEventTick, 0, 0);
    // Once a second for ever; the box stops it when it answers.
    tickAction_ = DelayedEventAction(1000, 0, &tick);
}

void CSystemInfoBox::OnTick() {
    if (answered_ || tickAction_ == 0) {
        return;
    }
    --secondsLeft_;
    if (secondsLeft_ < 0) {
        Answer((style_ & kStyleExpiryCancels) == 0);
        return;
    }
    DrawTitle();
    Invalidate();
}

void CSystemInfoBox::Answer(bool confirm) {
    if (answered_) {
        return;
    }
    answered_ = true;
    if (tickAction_ != 0) {
        StopAction(tickAction_);
        tickAction_ = 0;
    }
    StopObjectActions(GetId());
    Hide();
    if (confirm && !linkAddress_.empty()) {
        if (CGameFrameApp* app = CGameFrameApp::Current()) {
            app->OpenUrlInBrowser(linkAddress_, linkNumber_);
        }
    }
    if (confirm ? hasConfirm_ : hasCancel_) {
        const EventRecord record = confirm ? MakeConfirmRecord(confirm_) : cancel_;
        if (FindObjectById(record.target) != nullptr) {
            SendEvent(record);
        } else if (confirm) {
            DropConfirmRecord(record);
        }
    }
    // Destroyed on a later frame, after the event that answered returned.
    DestroyObject(this, 1);
}
