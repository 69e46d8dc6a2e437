#pragma once
// The regional side panel and its chat box: they exist so that the chat
// box's emoticon picker ignores the right mouse button. The side panel makes
// a regional chat box, the chat box a regional picker, and the picker drops
// right presses on its cells (a left press still picks the emoticon).

#include "frame/panels/EmoticonPanel.h"
#include "mahjong_client/panels/SystemChatBox.h"
#include "mahjong_client/panels/TableSystemBar.h"

class CRegionalEmoticonPanel : public CEmoticonPanel {
public:
    CRegionalEmoticonPanel() = default;
    ~CRegionalEmoticonPanel() override = default;

    // Nothing: no emoticon goes to the input box, the picker stays open.
    void OnCellRightClick(int x, int y, int extra) override;
};

class CRegionalChatBox : public CSystemChatBox {
public:
    CRegionalChatBox() = default;
    ~CRegionalChatBox() override = default;

protected:
    // The picker the emoticon button opens is the regional one.
    CEmoticonPanel* NewEmoticonPanel() override;
};

class CRegionalSystemBar : public CTableSystemBar {
public:
    CRegionalSystemBar() = default;
    ~CRegionalSystemBar() override = default;

    // A regional chat box under the frame's name.
    CCorvaneObject* CreateChatBox() override;
};
