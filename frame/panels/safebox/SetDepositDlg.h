#pragma once
// The quick-set presets dialog ("SetDepositDlg"): six amounts the input
// bar's quick-silver menu offers, edited in six digit boxes and stored per
// user in section "FIXDEPOSIT", keys "Fix0".."Fix5", of the user's data file.
//
// Rules:
//  - Reading: when "Fix5" is missing or empty all six are the defaults 100,
//    200, 500, 1000, 10000, 30000; otherwise each key's leading digits
//    (missing keys 0).
//  - Saving writes all six keys, an empty box as 0, and hides the dialog;
//    "取消" and the close button save nothing.
//  - The keys "AutoFix" and "bAutoFix" of the same section are left alone.

#include <array>
#include <cstdint>
#include <string>

#include "frame/panels/safebox/SafeBoxDialog.h"

class CInputBox;

inline constexpr size_t kFixDepositCount = 6;
using FixDepositValues = std::array<int32_t, kFixDepositCount>;
inline constexpr FixDepositValues kDefaultFixDeposit{100, 200, 500, 1000, 10000, 30000};
inline constexpr char kFixDepositSection[] = "FIXDEPOSIT";

// The six presets of the user's data file.
FixDepositValues LoadFixDepositValues(const std::string& userDataFile);
// Writes the six keys; false when a write failed.
bool SaveFixDepositValues(const std::string& userDataFile, const FixDepositValues& values);

class CSetDepositDlg : public CSafeBoxDialog {
public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 270;
    static constexpr int kBoxDigits = 8;

    CSetDepositDlg() = default;
    ~CSetDepositDlg() override = default;

    int OnEvent(const EventRecord& record) override;

    // Own operations, in this order.
    virtual void Create();
    virtual void CreateInnerPanel();
    virtual void DrawTexts();
    virtual void CreateRows();
    virtual void CreateButtons();
    virtual void SaveValues();
    virtual void HideDialog();

    // Copies the values and shows each in its box.
    void SetValues(const FixDepositValues& values);
    const FixDepositValues& GetValues() const { return values_; }
    CInputBox* GetBox(size_t row);

private:
    FixDepositValues values_{};
    std::array<int, kFixDepositCount> boxIds_{};
    int innerPanelId_ = 0;
};
