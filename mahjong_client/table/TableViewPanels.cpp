// The clock digits, the deposit panel and the tool buttons with the volume
// panel.
//
// Every part is made once, registered with the view and then held by its
// id; a part the engine could not make leaves its id 0 and its operations
// do nothing.
#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/MusicModule.h"
#include "engine/ui/CorvaneButton.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/panels/DigitDisplay.h"
#include "mahjong_client/panels/SliderBar.h"
#include "mahjong_client/table/MahjongTableView.h"

namespace {

constexpr double kArrowZ = 49000;
constexpr double kClockZ = 10400;
constexpr double kDepositZ = 10500;
constexpr double kVolumeZ = 60000;
constexpr int kCornerMargin = 10;
constexpr int kDigitsGap = 4;
// Digit styles: the clock's fixed cells, the deposit figure's
// proportional glyphs.
constexpr uint32_t kClockDigitStyle = 2;
constexpr uint32_t kDepositDigitStyle = 16;
constexpr int kVerticalSlider = 1;
constexpr double kFadeStep = 0.1;
constexpr uint32_t kFadeIntervalMs = 30;
// The audio library's volume attribute.
constexpr uint32_t kVolumeAttribute = 2;
// Parts that follow their panel's visibility, fading and redraws.
constexpr uint32_t kPanelPartLink = kLinkAlpha | kLinkInvalidate | kLinkShow | kLinkHide;

int Positive(int value) {
    return std::max(value, 1);
}

}  // namespace

// ---- lookups ----

CCorvaneCanvas* CMahjongTableView::GetDepositPanel() {
    return FindCanvasById(depositPanelId_);
}

CDigitDisplay* CMahjongTableView::GetDepositDigits() {
    return dynamic_cast<CDigitDisplay*>(FindObjectById(depositDigitsId_));
}

CCorvaneButton* CMahjongTableView::GetVolumeButton() {
    return dynamic_cast<CCorvaneButton*>(FindObjectById(volumeButtonId_));
}

CCorvaneObject* CMahjongTableView::GetVolumePanel() {
    return FindPictureById(volumePanelId_);
}

CSliderBar* CMahjongTableView::GetMusicSlider() {
    return dynamic_cast<CSliderBar*>(FindObjectById(musicSliderId_));
}

CSliderBar* CMahjongTableView::GetSoundSlider() {
    return dynamic_cast<CSliderBar*>(FindObjectById(soundSliderId_));
}

// ---- clock ----

namespace {

// A digit display registered with the view and loaded from the image; its
// id, or 0 when it could not be registered.
int MakeDigits(CCorvaneView& view, const char* image, uint32_t style, int padding, double z) {
    auto* digits = new CDigitDisplay;
    view.Register(digits);
    if (digits->IsRegistered() == 0) {
        delete digits;
        return 0;
    }
    digits->Create(image, style);
    digits->SetZeroPadding(padding);
    digits->SetZ(z);
    digits->SetValue(0);
    digits->Hide();
    return digits->GetId();
}

// A hidden picture of the skin item at depth z; its id, or 0.
int MakePicture(CCorvaneView& view, const char* image, double z) {
    CCorvanePicture* picture = view.CreatePicture(view.GetSkinFrame(image));
    if (picture == nullptr) {
        return 0;
    }
    picture->SetZ(z);
    picture->Hide();
    return picture->GetId();
}

}  // namespace

void CMahjongTableView::CreateClock() {
    if (GetClockHand() == nullptr) {
        clockPictureId_ = MakePicture(*this, kClockHandImage, kClockZ);
    }
    if (GetClockDigits() == nullptr) {
        clockDigitsId_ = MakeDigits(*this, kClockDigitsImage, kClockDigitStyle, 1, kClockZ + 1);
    }
    for (int p = 0; p < kPositions; ++p) {
        if (GetArrow(p) == nullptr) {
            arrowIds_[p] = MakePicture(*this, kArrowImage, kArrowZ);
            if (CCorvanePicture* arrow = GetArrow(p)) {
                arrow->SetFrame(p);
            }
        }
    }
    LayoutClockAndPanels();
}

// ---- deposit panel ----

void CMahjongTableView::CreateDepositDigits() {
    CCorvaneCanvas* panel = GetDepositPanel();
    if (panel == nullptr) {
        const FrameRecord back = GetSkinFrame(kDepositImage);
        panel = CreateCanvas(Positive(back.width), Positive(back.height), kDefaultColorKey);
        if (panel == nullptr) {
            return;
        }
        depositPanelId_ = panel->GetId();
        panel->SetZ(kDepositZ);
        panel->Hide();
    }
    if (FindCanvasById(depositWildCanvasId_) == nullptr) {
        if (CCorvaneCanvas* wild = CreateCanvas(1, 1, kDefaultColorKey)) {
            depositWildCanvasId_ = wild->GetId();
            wild->SetZ(kDepositZ + 1);
            wild->Hide();
            panel->AttachChild(wild, kPanelPartLink & ~kLinkShow);
        }
    }
    if (GetDepositDigits() == nullptr) {
        depositDigitsId_ =
            MakeDigits(*this, kDepositDigitsImage, kDepositDigitStyle, 0, kDepositZ + 2);
        if (CDigitDisplay* digits = GetDepositDigits()) {
            panel->AttachChild(digits, kPanelPartLink);
        }
    }
}

void CMahjongTableView::ShowDepositPanel(int show) {
    if (show == 0) {
        if (CCorvaneCanvas* panel = GetDepositPanel()) {
            StopObjectActions(panel->GetId());
            panel->Hide();
            panel->Invalidate();
        }
        return;
    }
    CreateDepositDigits();
    CCorvaneCanvas* panel = GetDepositPanel();
    if (panel == nullptr) {
        return;
    }
    ShowDepositInfo();
    panel->Show();
    panel->SetAlpha(0.0);
    if (AlphaAction(panel, kFadeStep, 1.0, kFadeIntervalMs, nullptr) == 0) {
        panel->SetAlpha(1.0);
    }
    panel->Invalidate();
}

void CMahjongTableView::ShowDepositInfo() {
    CCorvaneCanvas* panel = GetDepositPanel();
    if (panel == nullptr) {
        return;
    }
    const FrameRecord back = GetSkinFrame(kDepositImage);
    const int width = Positive(back.width);
    const int height = Positive(back.height);
    panel->Resize(width, height);
    static_cast<CCorvaneObject*>(panel)->Resize(width, height);
    panel->Clear();
    panel->DrawImage(back, 0, 0, back.width, back.height, 0.0, 1.0);
    // The base shows the table's stake; the wild tile is the game's to draw.
    CMahjongTableData* data = GetMahjongTableData();
    if (CDigitDisplay* digits = GetDepositDigits()) {
        digits->SetValue(data != nullptr ? data->GetBaseSilver() : 0);
    }
    LayoutClockAndPanels();
}

// ---- tool buttons and the volume panel ----

namespace {

// A vertical slider on the panel, reporting its changes to the view with
// `event`; its id, or 0.
int MakeVolumeSlider(CCorvaneView& view, CCorvaneObject& panel, int event, float scale) {
    auto* slider = new CSliderBar;
    view.Register(slider);
    if (slider->IsRegistered() == 0) {
        delete slider;
        return 0;
    }
    const EventRecord notify = MakeEventRecord(view.GetId(), event, 0, 0);
    const int value = std::clamp(static_cast<int>(scale * 100.0f + 0.5f), 0, 100);
    slider->Create(view.GetSkinFrame(CMahjongTableView::kSliderTrackImage),
                   view.GetSkinFrame(CMahjongTableView::kSliderThumbImage), kVerticalSlider,
                   &notify, value, 1);
    slider->SetZ(kVolumeZ + 1);
    slider->Hide();
    panel.AttachChild(slider, kPanelPartLink);
    return slider->GetId();
}

}  // namespace

void CMahjongTableView::CreateToolButtons() {
    if (IsRegistered() == 0) {
        return;
    }
    if (GetVolumeButton() == nullptr) {
        auto* button = new CCorvaneButton;
        Register(button);
        const EventRecord notify = MakeEventRecord(GetId(), kEventVolumeButton, 0, 0);
        button->Create(GetSkinFrame(kVolumeButtonImage), &notify, kButtonLatched, 0);
        button->SetSound(kButtonLookHover, "SndTouchButton");
        button->SetSound(kButtonLookPressed, "SndHitButton");
        button->Show();
        volumeButtonId_ = button->GetId();
    }
    if (GetVolumePanel() == nullptr) {
        volumePanelId_ = MakePicture(*this, kVolumePanelImage, kVolumeZ);
    }
    CCorvaneObject* panel = GetVolumePanel();
    if (panel == nullptr) {
        return;
    }
    if (GetMusicSlider() == nullptr) {
        musicSliderId_ = MakeVolumeSlider(*this, *panel, kEventMusicSlider, musicScale_);
    }
    if (GetSoundSlider() == nullptr) {
        soundSliderId_ = MakeVolumeSlider(*this, *panel, kEventSoundSlider, soundScale_);
    }
    LayoutClockAndPanels();
}

void CMahjongTableView::ToggleVolumePanel() {
    CCorvaneObject* panel = GetVolumePanel();
    if (panel == nullptr) {
        return;
    }
    CCorvaneButton* button = GetVolumeButton();
    if (panel->IsVisible() == 0) {
        if (button != nullptr) {
            button->SetLatched(1);
        }
        LayoutClockAndPanels();
        panel->Show();
        SetFocus(panel->GetId());
    } else {
        if (button != nullptr) {
            button->SetLatched(0);
        }
        panel->Hide();
        SetFocus(0);
    }
    panel->Invalidate();
}

void CMahjongTableView::OnMusicVolumeChanged() {
    CSliderBar* slider = GetMusicSlider();
    if (slider == nullptr) {
        return;
    }
    musicScale_ = static_cast<float>(slider->GetPercent());
    if (MusicModule* music = GetMusicModule(); music != nullptr && backgroundMusic_ != 0) {
        music->SetChannelAttribute(backgroundMusic_, kVolumeAttribute, musicScale_);
    }
}

void CMahjongTableView::OnSoundVolumeChanged() {
    if (CSliderBar* slider = GetSoundSlider()) {
        soundScale_ = static_cast<float>(slider->GetPercent());
    }
}

// ---- layout ----

void CMahjongTableView::LayoutClockAndPanels() {
    // The tiles fill the table's middle; the clock takes the top-right
    // corner beside the opposite row, the deposit panel the top-left one.
    const IntRect area = GetViewRect();
    if (CCorvanePicture* hand = GetClockHand()) {
        hand->SetPos(area.right - hand->GetWidth() / 2 - kCornerMargin,
                     area.top + hand->GetHeight() / 2 + kCornerMargin);
        hand->Invalidate();
        if (CDigitDisplay* digits = GetClockDigits()) {
            // Two digits left of the hand.
            digits->SetPos(hand->GetLeft() - digits->GetCellWidth() / 2.0 - kDigitsGap,
                           hand->GetY());
            digits->Invalidate();
        }
    }
    if (CCorvaneCanvas* panel = GetDepositPanel()) {
        panel->SetPos(area.left + panel->GetWidth() / 2 + kCornerMargin,
                      area.top + panel->GetHeight() / 2 + kCornerMargin);
        if (CDigitDisplay* digits = GetDepositDigits()) {
            digits->SetPos(panel->GetX(), panel->GetY());
        }
        if (CCorvaneCanvas* wild = FindCanvasById(depositWildCanvasId_)) {
            wild->SetPos(panel->GetX(), panel->GetY());
        }
        panel->Invalidate();
    }
    CCorvaneButton* button = GetVolumeButton();
    if (button == nullptr) {
        return;
    }
    // The volume button at the bottom-left corner, its panel above it.
    button->SetPos(area.left + button->GetWidth() / 2 + 10,
                   area.bottom - button->GetHeight() / 2 - 5);
    button->Invalidate();
    CCorvaneObject* panel = GetVolumePanel();
    if (panel == nullptr) {
        return;
    }
    panel->SetPos(button->GetX() - button->GetWidth() / 2 + panel->GetWidth() / 2,
                  button->GetTop() - panel->GetHeight() / 2);
    const double quarter = panel->GetWidth() / 4;
    if (CSliderBar* music = GetMusicSlider()) {
        music->SetPos(panel->GetX() - quarter, panel->GetY());
        music->Redraw();
    }
    if (CSliderBar* sound = GetSoundSlider()) {
        sound->SetPos(panel->GetX() + quarter, panel->GetY());
        sound->Redraw();
    }
    panel->Invalidate();
}
