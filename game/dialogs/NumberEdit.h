#pragma once
// The amount box of the automatic top-up: an edit box that, when told to,
// takes nothing but the digits 0 to 9.
//
// Rules:
//  - With digits only, an insertion (typed or pasted) that holds any other
//    byte is refused whole; a double-byte character always fails.

#include "engine/ui/CorvaneEdit.h"

class CNumberEdit : public CCorvaneEdit {
public:
    CNumberEdit() = default;
    ~CNumberEdit() override = default;

    void InsertText(const char* text) override;
    void SetDigitsOnly(int flag) { digitsOnly_ = flag; }
    int IsDigitsOnly() const { return digitsOnly_; }

private:
    int digitsOnly_ = 0;
};
