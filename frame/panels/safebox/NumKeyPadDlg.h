#pragma once
// The protection-password keypad ("NumKeyPadDlg"): ten digit keys whose
// digits are shuffled each time it shows, a backspace and a confirm key, and
// a display with one "*" per typed digit. The password never leaves it as
// typed: on confirm it is folded with the calculation number the server
// sent into one integer, the answer a take carries; then the take dialog
// (route 0) or the input bar (route 1, with the keypad's own id as param1)
// is told.
//
// Rules:
//  - The password holds at most 16 digits; confirming fewer than 8 gives
//    "保护密码至少要有8位,不能超过16位。" and the keypad stays.
//  - A key appends the digit its caption shows, not its position; keys
//    outside 0-9, or before the display exists, are ignored.
//  - The shuffle runs on the keypad's own generator, seeded from the clock
//    in seconds each time (tests set the clock); the process's rand is left
//    alone.
//  - The answer stays readable after the keypad hides, until the next
//    confirm.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "frame/panels/safebox/SafeBoxDialog.h"

class CInputBox;

// The password folded with the calculation number: the password cut from
// the left into at most four groups (while five or more characters remain,
// the next four; a rest of one to four is the last group), their decimal
// values summed, plus the number ÷ 10000 and the number mod 10000.
// "12345678" with 123456789 gives 26046.
int32_t FoldProtectionPassword(std::string_view password, int32_t calcNumber);

// The keypad's own generator: the C library's linear congruence (state ×
// 214013 + 2531011, the result bits 16-30), so a seed gives the order the
// C library would give, without touching the process's generator.
class KeypadRandom {
public:
    void Seed(uint32_t seed) { state_ = seed; }
    int Next();

private:
    uint32_t state_ = 1;
};

// Shuffles the order in place from its current state: when n > 1, seeds the
// generator with the seconds, then swaps each position i with j = next mod n.
void ShuffleDigitOrder(std::array<int, 10>& order, KeypadRandom& random, int64_t seconds);

class CNumKeyPadDlg : public CSafeBoxDialog {
public:
    static constexpr int kWidth = 190;
    static constexpr int kHeight = 180;
    static constexpr int kKeyCount = 12;
    static constexpr int kBackspaceKey = 10;
    static constexpr int kConfirmKey = 11;
    static constexpr size_t kMinDigits = 8;
    static constexpr size_t kMaxDigits = 16;

    CNumKeyPadDlg();
    ~CNumKeyPadDlg() override = default;

    int OnEvent(const EventRecord& record) override;
    // Shuffles the keys first.
    void Show() override;

    // Own operations, in this order.
    virtual void Create(int32_t calcNumber);
    virtual void CreateDisplay();
    virtual void CreateKeys();
    virtual void SubmitPassword();
    virtual void HideDialog();
    virtual void PressKey(int position);
    virtual void Backspace();
    virtual void ClearPassword();
    virtual void ShuffleKeys();

    void SetCalcNumber(int32_t n) { calcNumber_ = n; }
    void SetFromInputBar(int route) { route_ = route; }
    int32_t GetCalcResult() const { return calcResult_; }
    int32_t GetCalcNumber() const { return calcNumber_; }
    int GetRoute() const { return route_; }

    // The clock the shuffle is seeded from (seconds); the system's by default.
    void SetSecondsClock(std::function<int64_t()> clock) { secondsClock_ = std::move(clock); }
    // The digit each key shows.
    const std::array<int, 10>& GetDigitOrder() const { return digitOrder_; }
    // The typed digits (tests and the display).
    std::string GetPassword() const { return password_.data(); }
    CCorvaneButton* GetKey(int position);
    CInputBox* GetDisplay();

    // Other names callers use.
    void SetAmount(int32_t n) { SetCalcNumber(n); }

private:
    void RefreshDisplay();
    size_t PasswordLength() const;

    int route_ = kKeypadRouteTakeDialog;
    int32_t calcNumber_ = 0;
    int32_t calcResult_ = 0;
    std::array<int, 10> digitOrder_{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::array<char, 20> password_{};
    std::array<int, kKeyCount> keys_{};
    int displayId_ = 0;
    int closeId_ = 0;
    KeypadRandom random_;
    std::function<int64_t()> secondsClock_;
};
