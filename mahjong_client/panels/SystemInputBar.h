#pragma once
// The table's input bar: the frame's input bar (system-bar buttons, chat
// edit box, quick-chat and send buttons, quick phrases, quick-silver menu,
// safe box) with the table's geometry and colours: buttons 2 below the top,
// an input frame 20 narrower than the space the buttons leave and three
// quarters of its height lower, a fixed 168 × 20 edit box, a phrase list 208
// wide that opens 8 above its button, and a quick-silver menu in the table's
// greens.
//
// Rules:
//  - The quick-silver menu's choices (80000079 .. 80000081) and its close
//    event come back to this bar, never to the side panel.
//  - The frame's names Relayout, TogglePopupList and ShowQuickDepositPopup
//    are the same operations as Layout, ToggleQuickChatList and
//    ShowQuickSilverMenu.

#include "frame/panels/InputBar.h"

class CSystemInputBar : public CInputBar {
public:
    // The table's numbers for the frame bar's layout and menu.
    static InputBarMetrics TableMetrics();

    CSystemInputBar();
    ~CSystemInputBar() override;
};
