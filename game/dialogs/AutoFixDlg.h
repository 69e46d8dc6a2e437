#pragma once
// The automatic top-up dialog ("自动补银框"): a switch and the amount of
// silver below which the safe box refills the table. OK stores both per
// user, copies them into the regional table view and, when the switch is on
// and no hand is running, starts a top-up at once if the silver is already
// short. Cancel and close store nothing.
//
// Rules:
//  - Built once (by the engine when the view registers it), then only shown
//    and hidden; the boxes keep what was last shown.
//  - The amount box takes digits only, at most 8 of them.
//  - A press on the switch's label toggles the switch like the box does.

#include <string>

#include "engine/CorvaneControl.h"

class CCorvaneCheckBox;
class CNumberEdit;
class CRegionalTableView;

class CAutoFixDlg : public CCorvaneControl {
public:
    static constexpr char kBodyImage[] = "自动补银框";
    static constexpr int kEventLabelPressed = 0;
    static constexpr int kAmountDigits = 8;

    CAutoFixDlg() = default;
    ~CAutoFixDlg() override = default;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    virtual void OnOK();
    // Reads the stored amount and switch into the view and the boxes.
    void LoadSettings();

    CNumberEdit* GetAmountEdit();
    // The framed field behind the amount box.
    CCorvaneObject* GetAmountField();
    CCorvaneCheckBox* GetEnableBox();
    // The text canvas of the switch (its press toggles the switch).
    CCorvaneObject* GetEnableLabel();
    CCorvaneObject* GetBody();
    CCorvaneObject* GetOkButton();
    CCorvaneObject* GetCancelButton();
    // The edit box's text ("" without one).
    std::string GetAmountText();

protected:
    // The table the dialog serves; the application's game view by default.
    virtual CRegionalTableView* GetTableView();

private:
    int bodyId_ = 0;
    int amountEditId_ = 0;
    int amountFieldId_ = 0;
    int enableBoxId_ = 0;
    int enableLabelId_ = 0;
    int okId_ = 0;
    int cancelId_ = 0;
};
