#include "frame/panels/ForceQuitBox.h"

#include <cstring>

#include "engine/ui/CorvaneEdit.h"

namespace {

constexpr uint32_t kReasonBackground = 0x00FFFFFF;
constexpr double kReasonDepth = 0.03;

}  // namespace

void CForceQuitBox::ShowForceQuit(const char* text, const EventRecord& confirm,
                                  const EventRecord& cancel, int kind) {
    kind_ = kind;
    ShowBox(text, &confirm, &cancel, 0, kStyleCancelButton | kStyleExpiryCancels, nullptr, nullptr,
            nullptr);
    if (IsRegistered() == 0 || HasAnswered() || GetReasonEdit() != nullptr) {
        return;
    }
    auto* edit = new CCorvaneEdit;
    Register(edit);
    if (edit->IsRegistered() == 0) {
        return;
    }
    edit->Create(kBoxWidth - kTextMargin, kReasonHeight, kRichBackgroundColor | kRichSingleLine);
    edit->SetBackgroundColor(kReasonBackground);
    AttachChild(edit, kLinkDecoration);
    reasonEditId_ = edit->GetId();
    Relayout();
    edit->TakeFocus();
}

void CForceQuitBox::SetReasonLimit(int bytes) {
    if (CCorvaneEdit* edit = GetReasonEdit()) {
        edit->SetMaxLength(bytes);
    }
}

std::string CForceQuitBox::GetReason() {
    CCorvaneEdit* edit = GetReasonEdit();
    char* text = edit != nullptr ? edit->GetText() : nullptr;
    if (text == nullptr) {
        return {};
    }
    std::string reason(text);
    FreeEventBlock(text);
    return reason;
}

CCorvaneEdit* CForceQuitBox::GetReasonEdit() {
    return reasonEditId_ != 0 ? dynamic_cast<CCorvaneEdit*>(FindObjectById(reasonEditId_))
                              : nullptr;
}

int CForceQuitBox::GetExtraHeight() {
    return GetReasonEdit() != nullptr ? kReasonHeight : 0;
}

void CForceQuitBox::PlaceExtraParts(int top) {
    if (CCorvaneEdit* edit = GetReasonEdit()) {
        edit->SetPos(GetLeft() + kTextMargin / 2 + edit->GetWidth() / 2,
                     GetTop() + top + edit->GetHeight() / 2);
        edit->SetTopmost();
        edit->SetZ(GetZ() + kReasonDepth);
        edit->Invalidate();
    }
}

EventRecord CForceQuitBox::MakeConfirmRecord(const EventRecord& stored) {
    EventRecord record = stored;
    CCorvaneEdit* edit = GetReasonEdit();
    char* reason = edit != nullptr ? edit->GetText() : nullptr;
    if (reason == nullptr) {
        // No input (or no memory): an empty reason, still the receiver's.
        reason = static_cast<char*>(AllocEventBlock(1));
    }
    record.param1 = EventParam(reason);
    record.param2 = reason != nullptr ? static_cast<intptr_t>(std::strlen(reason) + 1) : 0;
    return record;
}

void CForceQuitBox::DropConfirmRecord(const EventRecord& record) {
    FreeEventBlock(EventParamPointer<char>(record.param1));
}
