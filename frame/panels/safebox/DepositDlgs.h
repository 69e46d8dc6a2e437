#pragma once
// The save and take dialogs of the safe box: one amount box with a drop-down
// list of the amounts last moved, kept per game. Saving moves silver from
// the game into the safe box after a confirmation box; taking moves it from
// the safe box into the game, through the protection-password keypad of the
// input bar when the user has a protection password.
//
// Rules:
//  - A typed amount is its leading digits; one below 1, or beyond the
//    32-bit field, gives "请输入银子数额。" and sends nothing; the dialog stays.
//  - Every refusal of the server is shown as the connection's text; the
//    history and the shown silver stay as they were.
//  - The save dialog hides as soon as the save is confirmed; the take
//    dialog hides after the password query (or after the take, when the
//    user has no password).
//  - Unhandled events go on to the dialog's own handler.

#include <cstdint>
#include <string>

#include "frame/panels/safebox/AmountHistory.h"
#include "frame/panels/safebox/SafeBoxDialog.h"

class CDropInputBox;

class CDepositDlg : public CSafeBoxDialog {
public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 190;
    static constexpr int kAmountDigits = 8;

    int OnEvent(const EventRecord& record) override;

    // Own operations, in this order.
    virtual void Create(const char* gameName);
    virtual void CreateInnerPanel();
    virtual void DrawTexts() = 0;
    virtual void CreateAmountBox() = 0;
    virtual void CreateButtons();
    virtual void ConfirmTransfer() = 0;
    virtual void HideDialog();
    virtual void DoTransfer() = 0;

    void SetGameName(const char* name);
    const std::string& GetGameName() const { return gameName_; }
    // Gives the amount box the keyboard focus; nothing without one.
    void FocusAmountBox();
    // The amount last read from the box.
    int32_t GetAmount() const { return amount_; }
    const AmountHistory& GetHistory() const { return history_; }
    CDropInputBox* GetAmountBox();

protected:
    struct Names {
        const char* objectName;
        const char* title;
        const char* historyKey;
        int confirmEvent;
        int cancelEvent;
        int runEvent;
    };
    explicit CDepositDlg(const Names& names) : names_(names) {}

    // Makes the amount box centred at (x, y) of the surface and fills it
    // from the stored history.
    void MakeAmountBox(int x, int y);
    // Reads the box; the amount to move, or nothing (the refusal shown).
    bool ReadAmount();
    // The amount joins the history and the box's list.
    void AddToHistory(int32_t amount);
    // Texts on the drawing surface in "宋体" 12 (weight 400).
    void DrawSmallText(int x, int y, const char* text);
    // The game name in "宋体" 20, weight 800.
    void DrawGameName(int x, int y);

    Names names_;
    int32_t amount_ = 0;
    std::string gameName_;
    int amountBoxId_ = 0;
    int innerPanelId_ = 0;
    AmountHistory history_;
};

// "SaveDepositDlg": from the game into the safe box.
class CSaveDepositDlg : public CDepositDlg {
public:
    CSaveDepositDlg();

    void DrawTexts() override;
    void CreateAmountBox() override;
    void ConfirmTransfer() override;
    void DoTransfer() override;

    // Other names callers use.
    void ConfirmSave() { ConfirmTransfer(); }
    void DoSave() { DoTransfer(); }
};

// "TakeDepositDlg": from the safe box into the game.
class CTakeDepositDlg : public CDepositDlg {
public:
    CTakeDepositDlg();

    void DrawTexts() override;
    void CreateAmountBox() override;
    void ConfirmTransfer() override;
    void DoTransfer() override;

    // Other names callers use.
    void ConfirmTake() { ConfirmTransfer(); }
    void DoTake() { DoTransfer(); }
};
