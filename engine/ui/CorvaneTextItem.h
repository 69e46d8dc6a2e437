#pragma once
// A row of the text list and of the frame's pop-up menus: a static whose
// caption is centred in "宋体" in the canvas's pen colour, with a bold,
// red-tinted hover look, an inverted pressed look and a faint disabled look.
// The list that owns the rows links them through their next pointers; a row
// neither owns nor checks the row it points to.

#include "engine/ui/CorvaneStatic.h"

class CCorvaneTextItem : public CCorvaneStatic {
public:
    CCorvaneTextItem() = default;
    ~CCorvaneTextItem() override = default;

    void Draw(int look) override;

    CCorvaneTextItem* GetNext() const { return next_; }
    void SetNext(CCorvaneTextItem* next) { next_ = next; }

private:
    // The caption centred on the canvas.
    void DrawCaptionCentred(CCorvaneCanvas& canvas);

    CCorvaneTextItem* next_ = nullptr;
};
