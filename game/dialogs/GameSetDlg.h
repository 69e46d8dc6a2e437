#pragma once
// The in-table settings dialog: quick catching, background music, sound
// effects, keeping quiet and refusing look-at-hand requests. OK stores the
// switches in the application's settings, writes them to the settings file
// and has the table apply the music; cancel and close put the boxes back to
// the stored settings.
//
// Rules:
//  - Built once (by the engine when the view registers it), with the
//    settings of that moment; then only shown and hidden.
//  - A press on a box toggles that box alone. A press on a label toggles
//    its box and couples sound, music and quiet: quiet on turns both off,
//    quiet off turns both on; sound or music turned on ends quiet, and both
//    off starts it.
//  - The label events reach the dialog alone (their ids mean other things
//    to the table view).

#include <array>

#include "engine/CorvaneControl.h"

class CCorvaneCheckBox;
struct GameSettings;

class CGameSetDlg : public CCorvaneControl {
public:
    static constexpr char kBodyImage[] = "bit_gamesetboard";
    static constexpr char kTableViewName[] = "MainGame";
    static constexpr int kEventApplyMusic = 80000085;
    // The rows, in the order of the dialog's fields.
    enum Row { kQuickCatch, kSoundEffect, kMusic, kKeepSilence, kRejectLook, kRowCount };
    // The label press of a row.
    static constexpr std::array<int, kRowCount> kLabelEvents = {80000106, 80000107, 80000108,
                                                                80000109, 80000110};

    CGameSetDlg() = default;
    ~CGameSetDlg() override = default;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    virtual void OnOK();

    CCorvaneCheckBox* GetBox(Row row);
    // The label canvas of a row (its press is bound to the dialog).
    CCorvaneObject* GetLabel(Row row);
    CCorvaneObject* GetBody();
    CCorvaneObject* GetOkButton();
    CCorvaneObject* GetCancelButton();

private:
    // The stored value of a row's setting.
    static int& Setting(GameSettings& settings, Row row);
    void Toggle(Row row);
    void Set(Row row, int state);
    int State(Row row);
    // After sound or music changed by its label.
    void CoupleQuiet(Row changed, Row other);
    void RestoreBoxes();

    int bodyId_ = 0;
    std::array<int, kRowCount> boxIds_{};
    std::array<int, kRowCount> labelIds_{};
    int okId_ = 0;
    int cancelId_ = 0;
};
