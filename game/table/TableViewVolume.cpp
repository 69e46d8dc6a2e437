// The regional table's volume panel, background music and settings dialog.
#include "engine/MusicModule.h"
#include "engine/ui/CorvaneButton.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/panels/SliderBar.h"

namespace {

constexpr uint32_t kVolumeAttribute = 2;
constexpr char kBackgroundMusic[] = "SndBKMusic";
constexpr int kBackgroundMusicPlays = 10000;

}  // namespace

void CRegionalTableView::ToggleVolumePanel() {
    if (IsAutoPlay() != 0) {
        ToggleAutoPlay();
    }
    CCorvaneObject* panel = GetVolumePanel();
    if (panel == nullptr) {
        return;
    }
    CCorvaneButton* button = GetVolumeButton();
    // The button is made latched, so its look follows the panel and the
    // panel tells whether it is pressed.
    const bool pressed = panel->IsVisible() != 0;
    if (!pressed) {
        if (button != nullptr) {
            button->SetLatched(1);
        }
        LayoutClockAndPanels();
        LendKeyboard(panel->GetId());
        SetFocus(panel->GetId());
        panel->Show();
        if (CSliderBar* music = GetMusicSlider()) {
            music->SetValue(MusicVolumeSetting());
        }
        if (CSliderBar* sound = GetSoundSlider()) {
            sound->SetValue(SoundVolumeSetting());
        }
    } else {
        if (button != nullptr) {
            button->SetLatched(0);
        }
        SetFocus(0);
        panel->Hide();
    }
    panel->Invalidate();
}

void CRegionalTableView::OnMusicVolumeChanged() {
    CSliderBar* slider = GetMusicSlider();
    if (slider == nullptr) {
        return;
    }
    musicScale_ = static_cast<float>(slider->GetPercent());
    SetMusicVolumeSetting(slider->GetValue());
    if (MusicModule* music = GetMusicModule(); music != nullptr && backgroundMusic_ != 0) {
        music->SetChannelAttribute(backgroundMusic_, kVolumeAttribute, musicScale_);
    }
}

void CRegionalTableView::OnSoundVolumeChanged() {
    CSliderBar* slider = GetSoundSlider();
    if (slider == nullptr) {
        return;
    }
    soundScale_ = static_cast<float>(slider->GetPercent());
    SetSoundVolumeSetting(slider->GetValue());
}

void CRegionalTableView::PlayBackgroundMusic() {
    const bool silent = IsKeepSilence();
    SetSoundOff(silent ? 1 : 0);
    MusicModule* music = GetMusicModule();
    if (music == nullptr) {
        return;
    }
    // The silence switch is lifted around the change and set again after.
    if (silent) {
        SetSoundOff(0);
    }
    if (IsBackgroundMusicOn()) {
        if (backgroundMusic_ == 0 || music->IsSoundActive(backgroundMusic_) == 0) {
            backgroundMusic_ =
                CCorvaneVisual::PlaySound(kBackgroundMusic, kBackgroundMusicPlays, nullptr);
        }
        if (backgroundMusic_ != 0) {
            music->SetChannelAttribute(backgroundMusic_, kVolumeAttribute, musicScale_);
        }
    } else {
        music->StopSoundByName(kBackgroundMusic);
        backgroundMusic_ = 0;
    }
    if (silent) {
        SetSoundOff(1);
    }
}

void CRegionalTableView::ToggleSetDlg() {
    CCorvaneObject* dialog = GetSetDlg();
    if (dialog == nullptr) {
        return;
    }
    if (dialog->IsVisible() == 0) {
        OpenPart(dialog, kDialogDepth);
    } else {
        HidePart(dialog);
    }
}
