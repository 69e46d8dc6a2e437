#include "frame/panels/safebox/SetDepositDlg.h"

#include <memory>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "frame/GameFrameApp.h"
#include "frame/panels/InputBoxes.h"
#include "frame/panels/safebox/SilverAmounts.h"
#include "platform/Profile.h"

namespace {

constexpr char kButtonImage[] = "系统通知框_按钮";
constexpr uint32_t kCaptionColour = 0x2E23;
constexpr int kCaptionSize = 12;
constexpr int kBoxWidth = 90;
constexpr size_t kValueBytes = 32;

std::string FixKey(size_t i) {
    return "Fix" + std::to_string(i);
}

// The preset as stored: its leading digits, held to the 32-bit field.
int32_t StoredPreset(const char* text) {
    const int64_t value = ReadAmountText(text);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

}  // namespace

FixDepositValues LoadFixDepositValues(const std::string& userDataFile) {
    char last[kValueBytes] = {};
    platform::GetPrivateProfileString(kFixDepositSection, FixKey(kFixDepositCount - 1).c_str(), "",
                                      last, sizeof last, userDataFile.c_str());
    if (last[0] == 0) {
        return kDefaultFixDeposit;
    }
    FixDepositValues values{};
    for (size_t i = 0; i < kFixDepositCount; ++i) {
        // A hand-edited "-5" reads as -5 here; the quick set refuses it.
        values[i] = platform::GetPrivateProfileInt(kFixDepositSection, FixKey(i).c_str(), 0,
                                                   userDataFile.c_str());
    }
    return values;
}

bool SaveFixDepositValues(const std::string& userDataFile, const FixDepositValues& values) {
    bool written = true;
    for (size_t i = 0; i < kFixDepositCount; ++i) {
        written = platform::WritePrivateProfileString(kFixDepositSection, FixKey(i).c_str(),
                                                      std::to_string(values[i]).c_str(),
                                                      userDataFile.c_str()) &&
                  written;
    }
    return written;
}

void CSetDepositDlg::Create() {
    SetName(kSetDepositDlgName);
    BuildBackground(kWidth, kHeight);
    SetTitle("快速设银");
    SetZ(kSetDepositDepth);
    CreateInnerPanel();
    DrawTexts();
    CreateRows();
    CreateButtons();
}

void CSetDepositDlg::CreateInnerPanel() {
    MakeInnerPanel(innerPanelId_);
}

void CSetDepositDlg::DrawTexts() {
    CCorvaneCanvas* surface = GetSurface();
    if (surface == nullptr) {
        return;
    }
    surface->SetPenColor(0, 1.0);
    surface->SetFont(12, 400, kSafeBoxFont);
    surface->SetMargins(4, 4);
    surface->DrawTextCenteredLines("你可以直接把游戏当前银子设置为下面六个设定值中的一个。", 4);
    for (size_t i = 0; i < kFixDepositCount; ++i) {
        const int y = 40 + 25 * static_cast<int>(i);
        surface->DrawText(40, y, (std::to_string(i + 1) + ".").c_str());
        surface->DrawText(165, y, "两");
    }
    surface->Invalidate();
}

void CSetDepositDlg::CreateRows() {
    if (IsRegistered() == 0 || GetBox(0) != nullptr) {
        return;
    }
    IntRect surface;
    GetSurfaceRect(&surface);
    for (size_t i = 0; i < kFixDepositCount; ++i) {
        auto* box = new CInputBox;
        Register(box);
        boxIds_[i] = box->GetId();
        box->SetZ(GetZ() + kDialogChildStep);
        box->Create();
        box->SetWidth(kBoxWidth);
        box->SetMaxLength(kBoxDigits);
        const int y = 40 + 25 * static_cast<int>(i);
        box->SetPos(GetLeft() + surface.left + 110, GetTop() + surface.top + y + 7);
        AttachPart(box, kSafeBoxChildLink);
    }
}

void CSetDepositDlg::CreateButtons() {
    const int confirm = MakeButton(kButtonImage, kEventSetDepositSave);
    const int cancel = MakeButton(kButtonImage, kEventSetDepositCancel);
    CaptionButton(confirm, "确定", kCaptionColour, kCaptionSize);
    CaptionButton(cancel, "取消", kCaptionColour, kCaptionSize);
    PlaceButtonPair(confirm, cancel);
    MakeCloseButton(kEventSetDepositCancel);
}

int CSetDepositDlg::OnEvent(const EventRecord& record) {
    if (record.event == kEventSetDepositSave) {
        SaveValues();
    } else if (record.event == kEventSetDepositCancel) {
        HideDialog();
    }
    return CSafeBoxDialog::OnEvent(record);
}

void CSetDepositDlg::SaveValues() {
    CGameFrameApp* app = App();
    const std::string file = app != nullptr ? app->GetUserDataFile() : std::string();
    for (size_t i = 0; i < kFixDepositCount; ++i) {
        CInputBox* box = GetBox(i);
        if (box == nullptr) {
            continue;
        }
        std::unique_ptr<char, void (*)(void*)> text(box->GetText(), FreeEventBlock);
        values_[i] = StoredPreset(text.get());
        if (!file.empty()) {
            platform::WritePrivateProfileString(kFixDepositSection, FixKey(i).c_str(),
                                                std::to_string(values_[i]).c_str(), file.c_str());
        }
    }
    HideDialog();
}

void CSetDepositDlg::HideDialog() {
    HideAndInvalidate();
}

void CSetDepositDlg::SetValues(const FixDepositValues& values) {
    values_ = values;
    for (size_t i = 0; i < kFixDepositCount; ++i) {
        if (CInputBox* box = GetBox(i)) {
            box->Clear();
            box->SetText(std::to_string(values[i]).c_str());
        }
    }
}

CInputBox* CSetDepositDlg::GetBox(size_t row) {
    return row < kFixDepositCount ? Part<CInputBox>(boxIds_[row]) : nullptr;
}
