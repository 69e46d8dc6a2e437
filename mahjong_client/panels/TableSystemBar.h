#pragma once
// The side panel of the table window ("SubSystem"): the frame's side panel
// with the table's own bars and skin. It keeps every behaviour of the
// frame's panel (its event table, chat lines, notices, quick phrases, safe
// box, screenshots) and replaces the bar factories, the layout and the chat
// box's height.
//
// Rules:
//  - In place of the advert bar it makes the round history list, which still
//    answers to "AdvertBar"; the user list, chat box and input bar are the
//    table's kinds under the frame's names.
//  - Every bar is the panel's width less 8, centred; a separator strip from
//    "bit_SystemBar" lies between the history list and the user list.
//  - The background and the separator are placed only when a user list
//    exists; a match client has neither, nor a history list or user list.
//  - The quick-silver menu's choices reach the input bar's own handler; the
//    panel ignores them.

#include "frame/panels/SystemBars.h"

class CCorvaneCanvas;

class CTableSystemBar : public CSystemBars {
public:
    // Room between the bars and the panel's edges, in all.
    static constexpr int kBarMargin = 8;

    CTableSystemBar();
    ~CTableSystemBar() override;

    // The frame panel's bars, and in a normal client the separator strip.
    void Create() override;
    // Stacks the table's bars inside the view rectangle (LayoutBars).
    void Relayout() override;

    CCorvaneObject* CreateAdvertBar() override;
    CCorvaneObject* CreateUserListBar() override;
    CCorvaneObject* CreateChatBox() override;
    // The input bar, then the system-bar buttons, the quick-silver menu and
    // the quick phrases.
    CCorvaneObject* CreateInputBar() override;
    // What the other bars leave, less 3 on a paint surface above 600 pixels
    // high and 6 on a smaller one; 0 or less hides the chat box.
    int GetChatBoxHeight() override;

    // The strip between the history list and the user list; null in a match
    // client.
    CCorvaneCanvas* GetSeparatorCanvas();
    // The picture behind the history list and the user list; null in a match
    // client.
    CCorvaneCanvas* GetBackgroundCanvas();

private:
    void LayoutBackground(int left, int top, int width, int historyHeight, int userListHeight);

    int separatorId_ = 0;
};
