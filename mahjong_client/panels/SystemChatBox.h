#pragma once
// The table's chat pane: the frame's chat box painted from three slices, a
// top, a middle repeated downwards and a bottom one, across its width.
//
// Rules:
//  - The middle slice repeats only while it starts above the bottom slice;
//    the bottom slice always ends at the box's bottom edge, over the top
//    slice when the box is shorter than both.
//  - The view's sizing, text area and the hook before painting are the
//    frame box's DrawBackground.

#include "frame/panels/ChatBox.h"

class CSystemChatBox : public CChatBox {
public:
    CSystemChatBox();
    ~CSystemChatBox() override;

protected:
    void PaintBackground(CCorvaneRichText& view, int width, int height) override;
};
