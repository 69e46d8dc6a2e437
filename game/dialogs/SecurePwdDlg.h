#pragma once
// The protect-password prompt of the automatic top-up: the safe box's
// number keypad which, once it accepted a password, tells the table view
// (event 80001184) to take the missing silver with the keypad's answer.
//
// Rules:
//  - One confirmed password sends one take: a password the keypad refuses
//    (too short or too long; the keypad stays open) tells the view nothing.
//  - The silver to take is set by the view each time it shows the prompt.

#include <cstdint>

#include "frame/panels/safebox/NumKeyPadDlg.h"

class CSecurePwdDlg : public CNumKeyPadDlg {
public:
    static constexpr int kEventTakeSilver = 80001184;
    static constexpr uint32_t kTakeDelayMs = 1;

    CSecurePwdDlg() = default;
    ~CSecurePwdDlg() override = default;

    void SubmitPassword() override;
    void SetSilverToTake(int32_t silver) { silverToTake_ = silver; }
    int32_t GetSilverToTake() const { return silverToTake_; }

private:
    int32_t silverToTake_ = 0;
};
