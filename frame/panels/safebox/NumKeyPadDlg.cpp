#include "frame/panels/safebox/NumKeyPadDlg.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/panels/InputBoxes.h"
#include "frame/view/MatchPanelTexts.h"

namespace {

constexpr int kGroupDigits = 4;
constexpr int kMaxGroups = 4;
constexpr char kKeyImage[] = "系统通知框_按钮";
constexpr uint32_t kKeyCaptionColour = 0x2D22;
constexpr int kKeyCaptionSize = 18;
constexpr int kConfirmCaptionSize = 14;
constexpr int kKeyWidth = 34;
constexpr int kKeyHeight = 30;
constexpr int kDisplayWidth = 166;
constexpr int kDisplayHeight = 32;

int64_t SystemSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace

int32_t FoldProtectionPassword(std::string_view password, int32_t calcNumber) {
    int64_t sum = 0;
    size_t at = 0;
    for (int group = 0; group < kMaxGroups && at < password.size(); ++group) {
        const size_t rest = password.size() - at;
        const size_t length = rest > kGroupDigits ? kGroupDigits : rest;
        int64_t value = 0;
        for (char c : password.substr(at, length)) {
            value = value * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
        }
        sum += value;
        at += length;
    }
    // Four groups of at most 9999 and the number's halves stay well inside
    // the 32-bit answer field.
    return static_cast<int32_t>(sum + calcNumber / 10000 + calcNumber % 10000);
}

int KeypadRandom::Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
}

void ShuffleDigitOrder(std::array<int, 10>& order, KeypadRandom& random, int64_t seconds) {
    const int n = static_cast<int>(order.size());
    if (n <= 1) {
        return;
    }
    random.Seed(static_cast<uint32_t>(seconds));
    for (int i = 0; i < n; ++i) {
        const int j = random.Next() % n;
        std::swap(order[i], order[j]);
    }
}

CNumKeyPadDlg::CNumKeyPadDlg() : secondsClock_(SystemSeconds) {}

void CNumKeyPadDlg::Create(int32_t calcNumber) {
    SetName(kNumKeyPadDlgName);
    SetCalcNumber(calcNumber);
    BuildBackground(kWidth, kHeight);
    SetTitle("请输入保护密码");
    SetZ(kKeypadDepth);
    CreateDisplay();
    CreateKeys();
}

void CNumKeyPadDlg::CreateDisplay() {
    if (GetDisplay() != nullptr || IsRegistered() == 0) {
        return;
    }
    auto* display = new CInputBox;
    Register(display);
    displayId_ = display->GetId();
    display->SetZ(GetZ() + kDialogChildStep);
    display->Create();
    // The physical keyboard does not reach it: text comes from the keys.
    display->SetEditFlags(display->GetEditFlags() & ~uint32_t{7});
    display->SetMaxLength(static_cast<int>(kMaxDigits));
    display->SetSize(kDisplayWidth, kDisplayHeight);
    IntRect surface;
    GetSurfaceRect(&surface);
    display->SetPos(GetLeft() + surface.left + 12 + kDisplayWidth / 2.0,
                    GetTop() + surface.top + 12 + kDisplayHeight / 2.0);
    AttachPart(display, kSafeBoxDisplayLink);
    display->SetFocus();
}

void CNumKeyPadDlg::CreateKeys() {
    if (GetKey(0) != nullptr) {
        return;
    }
    closeId_ = MakeCloseButton(kEventKeypadClose);
    IntRect surface;
    GetSurfaceRect(&surface);
    for (int i = 0; i < kKeyCount; ++i) {
        const int event = i < 10
                              ? kEventKeypadKey
                              : (i == kBackspaceKey ? kEventKeypadBackspace : kEventKeypadSubmit);
        keys_[size_t(i)] = MakeButton(kKeyImage, event);
        CCorvaneButton* key = GetKey(i);
        if (key == nullptr) {
            continue;
        }
        if (i < 10) {
            key->SetNotify(MakeEventRecord(GetId(), kEventKeypadKey, i, 0));
        }
        key->SetSize(kKeyWidth, kKeyHeight);
        key->SetPos(GetLeft() + surface.left + 29 + 44 * (i % 4),
                    GetTop() + surface.top + 71 + 41 * (i / 4));
    }
    CaptionButton(keys_[kBackspaceKey], "←", kKeyCaptionColour, kKeyCaptionSize);
    CaptionButton(keys_[kConfirmKey], "确定", kKeyCaptionColour, kConfirmCaptionSize);
}

void CNumKeyPadDlg::Show() {
    ShuffleKeys();
    CSafeBoxDialog::Show();
}

int CNumKeyPadDlg::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventKeypadSubmit:
            SubmitPassword();
            break;
        case kEventKeypadClose:
            HideDialog();
            break;
        case kEventKeypadKey:
            PressKey(static_cast<int>(record.param1));
            break;
        case kEventKeypadBackspace:
            Backspace();
            break;
        default:
            break;
    }
    return CSafeBoxDialog::OnEvent(record);
}

void CNumKeyPadDlg::SubmitPassword() {
    const size_t length = PasswordLength();
    if (length < kMinDigits || length > kMaxDigits) {
        ShowBox(
            FormatText("保护密码至少要有%d位,不能超过%d位。", int(kMinDigits), int(kMaxDigits)));
        return;
    }
    calcResult_ = FoldProtectionPassword(std::string_view(password_.data(), length), calcNumber_);
    if (route_ == kKeypadRouteInputBar) {
        // The bar tells its own keypad's answer from another prompt's by the id.
        SendToNamed(kInputBarName, kEventKeypadReadyForInputBar, GetId());
    } else {
        SendToNamed(kTakeDepositDlgName, kEventTakeRun);
    }
    HideDialog();
}

void CNumKeyPadDlg::HideDialog() {
    HideAndInvalidate();
}

void CNumKeyPadDlg::PressKey(int position) {
    if (position < 0 || position >= 10 || GetDisplay() == nullptr) {
        return;
    }
    const size_t length = PasswordLength();
    if (length >= kMaxDigits) {
        return;
    }
    password_[length] = static_cast<char>('0' + digitOrder_[size_t(position)]);
    password_[length + 1] = 0;
    RefreshDisplay();
}

void CNumKeyPadDlg::Backspace() {
    const size_t length = PasswordLength();
    if (GetDisplay() == nullptr || length < 1 || length > kMaxDigits) {
        return;
    }
    password_[length - 1] = 0;
    RefreshDisplay();
}

void CNumKeyPadDlg::ClearPassword() {
    password_.fill(0);
    if (CInputBox* display = GetDisplay()) {
        display->Clear();
    }
}

void CNumKeyPadDlg::ShuffleKeys() {
    for (int id : keys_) {
        if (Part<CCorvaneButton>(id) == nullptr) {
            return;
        }
    }
    ShuffleDigitOrder(digitOrder_, random_, secondsClock_ ? secondsClock_() : SystemSeconds());
    for (int i = 0; i < 10; ++i) {
        if (CCorvaneButton* key = GetKey(i)) {
            if (CCorvaneCanvas* caption = key->GetCaptionCanvas()) {
                caption->Clear();
            }
            key->DrawCaption(std::to_string(digitOrder_[size_t(i)]).c_str(), kKeyCaptionColour,
                             kKeyCaptionSize);
        }
    }
}

CCorvaneButton* CNumKeyPadDlg::GetKey(int position) {
    if (position < 0 || position >= kKeyCount) {
        return nullptr;
    }
    return Part<CCorvaneButton>(keys_[size_t(position)]);
}

CInputBox* CNumKeyPadDlg::GetDisplay() {
    return Part<CInputBox>(displayId_);
}

void CNumKeyPadDlg::RefreshDisplay() {
    CInputBox* display = GetDisplay();
    if (display == nullptr) {
        return;
    }
    display->Clear();
    const size_t length = PasswordLength();
    if (length <= kMaxDigits) {
        display->SetText(std::string(length, '*').c_str());
    }
}

size_t CNumKeyPadDlg::PasswordLength() const {
    return strnlen(password_.data(), password_.size());
}
