#pragma once
// The safe box ("SafeBoxDlg"): shows the silver kept in the safe box and
// opens the two transfer dialogs, save (game into the safe box) and take
// (safe box into the game), which it creates once and keeps.
//
// Rules:
//  - The shown silver changes only by SetSilver (never to a negative value)
//    and by RefreshSilver after a transfer; a refresh with the same value
//    draws nothing.
//  - Where the application says silver may not move here (looker-on, a
//    points room, or the room does not allow it), the transfer buttons take
//    no input; "关闭" still works.
//  - Unhandled events go on to the dialog's own handler.

#include <cstdint>

#include "frame/panels/safebox/SafeBoxDialog.h"

class CSaveDepositDlg;
class CTakeDepositDlg;

class CSafeBoxDlg : public CSafeBoxDialog {
public:
    static constexpr int kWidth = 366;
    static constexpr int kHeight = 235;

    CSafeBoxDlg() = default;
    ~CSafeBoxDlg() override = default;

    int OnEvent(const EventRecord& record) override;

    // Own operations, in this order.
    virtual void Create(int32_t silver);
    virtual void CreateBacking();
    virtual void DrawContents();
    virtual void CreateControls();
    virtual void ShowSaveDialog();
    virtual void ShowTakeDialog();

    // Stores n when n >= 0.
    void SetSilver(int32_t n);
    int32_t GetSilver() const { return silver_; }
    // Stores both when both are above 0.
    void SetDialogSize(int width, int height);
    // Re-centres the visible children in the scene.
    void CenterChildDialogs();
    // Asks the server for the safe box's silver; redraws when it changed.
    void RefreshSilver();

    // The children, or null before their first opening.
    CSaveDepositDlg* GetSaveDialog();
    CTakeDepositDlg* GetTakeDialog();
    // How many times the contents were drawn (a refresh with the same silver
    // draws nothing).
    int GetDrawCount() const { return drawCount_; }

private:
    int32_t silver_ = 0;
    int width_ = kWidth;
    int height_ = kHeight;
    int saveDialogId_ = 0;
    int takeDialogId_ = 0;
    int backingId_ = 0;
    int advertId_ = 0;
    int takeButtonId_ = 0;
    int saveButtonId_ = 0;
    int closeButtonId_ = 0;
    int cornerCloseId_ = 0;
    int drawCount_ = 0;
};
