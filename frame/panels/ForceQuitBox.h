#pragma once
// The force-quit request box: a notice box with a one-line reason input
// under its text. Confirm hands the receiver a heap copy of the reason.
//
// Rules:
//  - The kind is 3 after construction; ShowForceQuit stores the one given.
//  - The reason input takes at most the limit's bytes (SetReasonLimit);
//    before the input exists the limit is ignored.
//  - Confirm delivers the stored record with param1 = a zero-terminated
//    heap copy of the reason (AllocEventBlock, the receiver frees it) and
//    param2 = the copy's size; when the receiver is gone the box frees it.

#include "frame/panels/SystemInfoBox.h"

class CCorvaneEdit;

class CForceQuitBox : public CSystemInfoBox, public CForceQuitBoxSeam {
public:
    static constexpr int kReasonHeight = 22;

    CForceQuitBox() = default;
    ~CForceQuitBox() override = default;

    void ShowForceQuit(const char* text, const EventRecord& confirm, const EventRecord& cancel,
                       int kind) override;
    void SetReasonLimit(int bytes) override;
    // Other name callers use.
    void SetMaxLength(int bytes) { SetReasonLimit(bytes); }

    int GetKind() const { return kind_; }
    // The typed reason, or empty without an input.
    std::string GetReason();
    CCorvaneEdit* GetReasonEdit();

protected:
    int GetExtraHeight() override;
    void PlaceExtraParts(int top) override;
    EventRecord MakeConfirmRecord(const EventRecord& stored) override;
    void DropConfirmRecord(const EventRecord& record) override;

private:
    int kind_ = 3;
    int reasonEditId_ = 0;
};
